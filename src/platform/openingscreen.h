#pragma once

#include <QShowEvent>

namespace velmora {

// A screen (Base is QWidget or one of its kind) that runs its opening steps when it is
// first shown, so that an opener can fill its fields before they run.
template <typename Base> class OpeningScreen : public Base
{
public:
    using Base::Base;

protected:
    virtual void opening() = 0;

    void showEvent(QShowEvent* event) override
    {
        Base::showEvent(event);
        if (m_opened)
            return;
        m_opened = true;
        opening();
    }

private:
    bool m_opened = false;
};

} // namespace velmora
