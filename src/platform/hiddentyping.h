#pragma once

#include <termios.h>

namespace velmora {

// Hides what is typed at the terminal on standard input for the life of the object; does
// nothing when standard input is no terminal.
class HiddenTyping
{
public:
    HiddenTyping();
    ~HiddenTyping();
    HiddenTyping(const HiddenTyping&) = delete;
    HiddenTyping& operator=(const HiddenTyping&) = delete;

    bool atTerminal() const { return m_terminal; }

private:
    termios m_saved{};
    bool m_terminal;
};

} // namespace velmora
