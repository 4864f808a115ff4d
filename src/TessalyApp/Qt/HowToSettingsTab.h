#pragma once
// The How To page: six short entries on what a user does with the program,
// the first with the animated demonstration of making a group.
#include <QWidget>

namespace tessaly {

class GroupDemoAnimation;

class HowToSettingsTab : public QWidget {
    Q_OBJECT
public:
    explicit HowToSettingsTab(QWidget* parent = nullptr);

    GroupDemoAnimation& demo() { return *demo_; }
    static constexpr int entryCount = 6;

private:
    GroupDemoAnimation* demo_ = nullptr;
};

}  // namespace tessaly
