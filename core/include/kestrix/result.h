#pragma once
// A value or an error, never an exception: the return type of every fallible
// operation in Kestrix.
#include <type_traits>
#include <utility>
#include <variant>

namespace kestrix {

template <class E>
struct Unexpected {
    E error;
};

template <class E>
Unexpected<std::decay_t<E>> fail(E&& error) {
    return {std::forward<E>(error)};
}

template <class T, class E>
class [[nodiscard]] Result {
public:
    Result(const T& value) : state_(std::in_place_index<0>, value) {}
    Result(T&& value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <class G>
    Result(Unexpected<G> e) : state_(std::in_place_index<1>, Unexpected<E>{E(std::move(e.error))}) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    E& error() & { return std::get<1>(state_).error; }
    const E& error() const& { return std::get<1>(state_).error; }
    E&& error() && { return std::move(std::get<1>(state_).error); }

private:
    std::variant<T, Unexpected<E>> state_;
};

template <class E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    template <class G>
    Result(Unexpected<G> e) : error_(E(std::move(e.error))), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const E& error() const { return error_; }

private:
    E error_{};
    bool failed_ = false;
};

}  // namespace kestrix
