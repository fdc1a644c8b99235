#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace dm {

// Why something could not be done, in words a user can read ("No space left on device").
struct Failure {
    std::string why;
};

// The one way the program's own code reports that something failed: either the value asked for
// or the Failure that prevented it. Interfaces with fixed conventions of their own (Save's int,
// Read's null, the stream exceptions) are thin adapters over it.
template <class T>
class [[nodiscard]] Expected {
  public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Expected(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool HasValue() const { return state_.index() == 0; }
    explicit operator bool() const { return HasValue(); }

    // The value; only when there is one.
    T& Value() & { return std::get<0>(state_); }
    const T& Value() const& { return std::get<0>(state_); }
    T&& Value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }

    // The failure; only when there is no value.
    const Failure& Error() const { return std::get<1>(state_); }
    const std::string& Why() const { return Error().why; }

  private:
    std::variant<T, Failure> state_;
};

// Success without a value, or a Failure.
template <>
class [[nodiscard]] Expected<void> {
  public:
    Expected() = default;
    Expected(Failure failure) : failure_(std::move(failure)) {}

    bool HasValue() const { return !failure_.has_value(); }
    explicit operator bool() const { return HasValue(); }

    const Failure& Error() const { return *failure_; }
    const std::string& Why() const { return failure_->why; }

  private:
    std::optional<Failure> failure_;
};

using Outcome = Expected<void>;

} // namespace dm
