#include "PrivateAPIs/SkyLight.h"

#include <utility>

namespace tessaly {

std::optional<SkyLight::Order> SkyLight::orderFromRawValue(std::int32_t rawValue) {
    switch (rawValue) {
        case 1: return Order::above;
        case -1: return Order::below;
        case 0: return Order::out;
        default: return std::nullopt;
    }
}

SkyLight::SkyLight(std::shared_ptr<PrivateSymbols> symbols) : symbols_(std::move(symbols)) {}

const WindowServerFunctions* SkyLight::functions() const {
    std::call_once(opened_, [this] {
        if (symbols_) functions_ = symbols_->openWindowServer();
    });
    return functions_ ? &*functions_ : nullptr;
}

bool SkyLight::canOrder() const {
    const WindowServerFunctions* f = functions();
    return f && f->mainConnectionID && f->transactionCreate && f->transactionCommit && f->transactionOrderWindow;
}

bool SkyLight::order(WindowID window, Order order, WindowID relativeTo) const {
    if (!canOrder()) return false;
    const auto& orderWindow = functions()->transactionOrderWindow;
    const auto error = withTransaction(/*synchronous=*/false, [&](const TransactionRef& transaction) {
        orderWindow(transaction, window, rawValue(order), relativeTo);
    });
    return error && *error == 0;
}

std::optional<WindowServerError> SkyLight::withTransaction(
    bool synchronous, const std::function<void(const TransactionRef&)>& body) const {
    const WindowServerFunctions* f = functions();
    if (!f || !f->mainConnectionID || !f->transactionCreate || !f->transactionCommit) return std::nullopt;
    const TransactionRef transaction = f->transactionCreate(f->mainConnectionID());
    if (!transaction) return std::nullopt;
    if (body) body(transaction);
    return f->transactionCommit(transaction, synchronous ? 1 : 0);
}

}  // namespace tessaly
