#pragma once
// The user-defaults store: a per-user key-value store of typed values
// (booleans, numbers, strings, string arrays and byte data) under string
// keys. Reads never fail: a missing key or a value of another type answers
// absent (or false). An empty data value is a value, distinct from an absent
// key.
//
// FileUserDefaults keeps the values in memory and writes them to
// $XDG_CONFIG_HOME/tessaly/defaults.json (else ~/.config/...), atomically and
// readable by the user alone: on every change, or, once coalescing is on, in
// one write shortly after a burst of changes. InMemoryUserDefaults is the same
// store without a file, for tests.
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Platform/MainExecutor.h"

namespace tessaly {

class UserDefaults {
public:
    // Bytes stored as one value (the JSON of a setting, for instance).
    struct Data {
        std::string bytes;
        friend bool operator==(const Data&, const Data&) = default;
    };
    using StringArray = std::vector<std::string>;
    using Value = std::variant<bool, double, std::string, StringArray, Data>;

    virtual ~UserDefaults() = default;

    // The stored value, whatever its type.
    virtual std::optional<Value> objectForKey(const std::string& key) const = 0;
    virtual void setObject(const Value& value, const std::string& key) = 0;
    virtual void removeObjectForKey(const std::string& key) = 0;

    // Writes any change not yet in lasting storage now. False when it could
    // not be written: the change stays pending and is tried again by the
    // next write. A store without lasting storage answers true.
    virtual bool synchronize() { return true; }

    // Typed reads: absent when the key is missing or holds another type.
    std::optional<std::string> stringForKey(const std::string& key) const;
    std::optional<double> numberForKey(const std::string& key) const;
    std::optional<Data> dataForKey(const std::string& key) const;
    std::optional<StringArray> stringArrayForKey(const std::string& key) const;
    // A boolean reading of whatever is stored: a boolean as it is, a number
    // when non-zero, a string starting with y, Y, t, T or 1-9 (after blanks);
    // false for anything else and for a missing key.
    bool boolForKey(const std::string& key) const;

    void setString(const std::string& value, const std::string& key) { setObject(Value(value), key); }
    void setDouble(double value, const std::string& key) { setObject(Value(value), key); }
    void setBool(bool value, const std::string& key) { setObject(Value(value), key); }
    void setData(const Data& value, const std::string& key) { setObject(Value(value), key); }
    void setStringArray(const StringArray& value, const std::string& key) { setObject(Value(value), key); }
};

// Values in memory only.
class InMemoryUserDefaults : public UserDefaults {
public:
    std::optional<Value> objectForKey(const std::string& key) const override;
    void setObject(const Value& value, const std::string& key) override;
    void removeObjectForKey(const std::string& key) override;

    // Every stored key (for tests).
    std::vector<std::string> keys() const;

protected:
    mutable std::mutex mutex_;
    std::map<std::string, Value> values_;
};

// Values cached in memory and written through to a JSON file.
//
// File form: one JSON object; a boolean, number, string or array of strings
// is stored as that JSON value, data as {"$data": "<base64>"}. A number that
// JSON cannot hold (NaN, infinity) is written as null and reads back absent.
// Entries of any other shape are kept and written back untouched, but read
// as absent. A damaged file (not JSON, not an object, too large, nested too
// deeply) is renamed aside with a ".corrupt-<time>" suffix and logged, and
// the store starts empty. A file that cannot be read at all (no permission,
// not a regular file) is the user's to mend: it is logged and left as it
// is, the store starts empty, and nothing this run replaces the file:
// changes stay in memory and synchronize() answers false.
//
// Writes: by default every change rewrites the file at once. After
// coalesceWrites() a change only marks the store dirty, and one write of the
// whole file follows `delay` seconds after the first change of a burst (so a
// dragged slider or an import of many settings costs one write), with a
// final write on synchronize() and when the store is destroyed. Reads always
// see the newest values. With coalescing on, changes are made on the main
// thread.
class FileUserDefaults : public InMemoryUserDefaults {
public:
    static constexpr double defaultCoalescingDelay = 0.5;

    explicit FileUserDefaults(std::filesystem::path file);
    // Writes what is still pending.
    ~FileUserDefaults() override;
    FileUserDefaults(const FileUserDefaults&) = delete;
    FileUserDefaults& operator=(const FileUserDefaults&) = delete;

    // The user's store, at its default location. Without a usable home or
    // config folder it keeps values in memory only (and says so in the log).
    static std::shared_ptr<FileUserDefaults> standard();
    static std::optional<std::filesystem::path> defaultLocation();

    void setObject(const Value& value, const std::string& key) override;
    void removeObjectForKey(const std::string& key) override;
    bool synchronize() override;

    // Turns coalescing on: later changes are written together, `delay`
    // seconds after the first of them, by a timer on `main`.
    void coalesceWrites(std::shared_ptr<MainExecutor> main, double delay = defaultCoalescingDelay);

    const std::filesystem::path& file() const { return file_; }
    // How many times the file was written (successfully or not).
    std::size_t fileWriteCount() const;
    // Whether changes wait to be written.
    bool hasPendingChanges() const;

private:
    FileUserDefaults() = default;  // memory only
    void load();
    // Marks the store changed and writes now or arms the coalescing timer.
    void changedLocked();
    bool persistLocked();

    std::filesystem::path file_;
    std::map<std::string, std::string> foreign_;  // JSON text of entries of shapes this store does not read
    bool fileOutOfReach_ = false;  // the file could not be read at start: never written over
    bool outOfReachLogged_ = false;
    bool dirty_ = false;
    std::size_t writeCount_ = 0;
    std::shared_ptr<MainExecutor> main_;  // set while coalescing
    double coalescingDelay_ = defaultCoalescingDelay;
    Subscription flushTimer_;             // armed while a coalesced write waits
};

}  // namespace tessaly
