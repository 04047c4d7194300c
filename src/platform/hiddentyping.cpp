#include "hiddentyping.h"

#include <unistd.h>

namespace velmora {

HiddenTyping::HiddenTyping()
    : m_terminal(isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &m_saved) == 0)
{
    if (!m_terminal)
        return;
    termios hidden = m_saved;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
}

HiddenTyping::~HiddenTyping()
{
    if (m_terminal)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
}

} // namespace velmora
