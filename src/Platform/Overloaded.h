#pragma once
// One visitor made of several lambdas, for std::visit over the event
// variants: a case without a lambda is a compile error, so every handler
// says what it does with every case.
//
//   std::visit(Overloaded{[](const A&) {...}, [](const B&) {...}}, event.payload);
namespace tessaly {

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace tessaly
