// The building blocks of the generated firm's rows: numbers that repeat with the seed and
// texts built without allocating row after row.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::firm {

// A small, fast generator (splitmix64) whose sequence is the same on every platform.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // A whole number from 0 to bound - 1.
    int below(std::int64_t bound)
    {
        return static_cast<int>(next() % static_cast<std::uint64_t>(bound));
    }
    bool percent(int chance) { return below(100) < chance; }
    // From 0 to 1, seldom near 1.
    double skewed()
    {
        const double u = static_cast<double>(next() >> 11) * 0x1.0p-53;
        return u * u;
    }
    template <std::size_t N> std::string_view pick(const std::string_view (&list)[N])
    {
        return list[below(N)];
    }

private:
    std::uint64_t m_state;
};

// A column's text built in place; the buffer is kept from row to row.
class Text
{
public:
    Text& clear()
    {
        m_text.clear();
        return *this;
    }
    Text& add(std::string_view text)
    {
        m_text.append(text);
        return *this;
    }
    Text& add(char letter)
    {
        m_text.push_back(letter);
        return *this;
    }
    Text& number(std::int64_t value) { return digits(value, 1); }
    // `value` with leading zeros up to `width` digits.
    Text& digits(std::int64_t value, int width)
    {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        m_text.append(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, width - (end - buffer))),
                      '0');
        m_text.append(buffer, end);
        return *this;
    }
    std::string_view view() const { return m_text; }

private:
    std::string m_text;
};

} // namespace velmora::firm
