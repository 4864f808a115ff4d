#pragma once
// The bookkeeping every backend's accessibility observer shares: which
// (element, notification) pairs it registered, the queue and handler given
// to start(), and whether it was invalidated. The state is shared between
// the observer handed to the caller and the backend that delivers to it
// (which holds it weakly), so delivering and invalidating are a clean cut.
#include "Platform/Accessibility.h"
#include "Platform/DispatchQueue.h"
#include "Platform/Types.h"

#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace tessaly {

class AXObserverState {
public:
    explicit AXObserverState(ProcessID pid) : pid_(pid) {}

    ProcessID pid() const { return pid_; }
    // Not invalidated.
    bool isValid() const;
    // Forgets every registration (the process is gone): the observer falls
    // silent but stays valid.
    void clearRegistrations();

    // Queues handler(element, name) on the observer's queue when it is
    // started, still valid and has registered `name` on one of
    // `registeredOn`.
    void deliver(const AXElement& element, const std::string& name, std::initializer_list<AXElement> registeredOn);
    // The same, whatever the observer registered.
    void deliverUnregistered(const AXElement& element, const std::string& name);

private:
    friend class AXObserverBase;
    void queue(const AXElement& element, const std::string& name);  // with mutex_ held

    const ProcessID pid_;
    mutable std::mutex mutex_;
    bool invalid_ = false;
    std::shared_ptr<DispatchQueue> queue_;
    AXObserverConnection::Handler handler_;
    AXRegistrationList registrations_;
};

// An observer over an AXObserverState. Backends that need to act when it
// starts, or that refuse some elements, derive from it.
class AXObserverBase : public AXObserverConnection {
public:
    explicit AXObserverBase(std::shared_ptr<AXObserverState> state) : state_(std::move(state)) {}
    ~AXObserverBase() override { AXObserverBase::invalidate(); }

    void start(std::shared_ptr<DispatchQueue> thread, Handler handler) final;
    AXError addNotification(const AXElement& element, std::string_view notification) final;
    AXError removeNotification(const AXElement& element, std::string_view notification) final;
    void invalidate() final;

protected:
    // After start() stored the queue and handler (not after invalidate()).
    virtual void started() {}
    // Whether notifications may be added on `element`.
    virtual bool accepts(const AXElement&) const { return true; }

    const std::shared_ptr<AXObserverState>& state() const { return state_; }

private:
    std::shared_ptr<AXObserverState> state_;
};

}  // namespace tessaly
