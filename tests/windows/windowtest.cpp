#include "windowtest.h"

#include "windows/app/forms.h"

WindowTestEnv::WindowTestEnv()
{
    Msg::install(&messages);
}

WindowTestEnv::~WindowTestEnv()
{
    if (m_forms)
        Forms::destroyAll();
    Msg::install(nullptr);
}

bool WindowTestEnv::startForms()
{
    m_forms = true;
    return Forms::createAll();
}
