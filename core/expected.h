#pragma once
// The one shape of a result that can fail: a value, or a typed error saying why not. It follows
// std::expected (C++23), which this toolchain offers only beyond C++20, so a move to it later is
// a change of spelling: Expected<T, E>, Unexpected(e), has_value(), value(), error(), *, ->.
// Standard C++ only, so that every layer can use it.
#include <cassert>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace korvane {

template <typename E>
struct Unexpected {
    E error;
    explicit Unexpected(E e) : error(std::move(e)) {}
};
template <typename E>
Unexpected(E) -> Unexpected<E>;

template <typename T, typename E>
class [[nodiscard]] Expected {
public:
    Expected(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    template <typename G, typename = std::enable_if_t<std::is_constructible_v<E, G>>>
    Expected(Unexpected<G> u) : v_(std::in_place_index<1>, E(std::move(u.error))) {}

    bool has_value() const { return v_.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& value() & { assert(has_value()); return std::get<0>(v_); }
    const T& value() const& { assert(has_value()); return std::get<0>(v_); }
    T&& value() && { assert(has_value()); return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T value_or(T fallback) const { return has_value() ? std::get<0>(v_) : std::move(fallback); }

    const E& error() const { assert(!has_value()); return std::get<1>(v_); }

private:
    std::variant<T, E> v_;
};

// An operation that yields nothing but can fail.
template <typename E>
class [[nodiscard]] Expected<void, E> {
public:
    Expected() = default;
    template <typename G, typename = std::enable_if_t<std::is_constructible_v<E, G>>>
    Expected(Unexpected<G> u) : error_(E(std::move(u.error))) {}

    bool has_value() const { return !error_.has_value(); }
    explicit operator bool() const { return has_value(); }
    const E& error() const { assert(error_); return *error_; }

private:
    std::optional<E> error_;
};

} // namespace korvane
