#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace platform {

// Success with nothing to hand back.
struct Done
{
};

// What an operation at an I/O edge (a file written, a library bound) gives
// back: its value, or the error that stopped it, by default a sentence for the
// user. The caller decides whether to show it, drop it or raise it.
template<typename T = Done, typename E = QString> class [[nodiscard]] Result
{
public:
    Result(T value = T())
        : m_state(std::in_place_index<0>, std::move(value))
    { }
    static Result failure(E error)
    {
        Result result;
        result.m_state.template emplace<1>(std::move(error));
        return result;
    }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T &value() const { return std::get<0>(m_state); }
    // Moves the value out, for a value that cannot be copied (an owner).
    T take() { return std::move(std::get<0>(m_state)); }
    // Only after a failure.
    const E &error() const { return std::get<1>(m_state); }

private:
    std::variant<T, E> m_state;
};

} // namespace platform
