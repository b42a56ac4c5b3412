#include "WindowServices.h"

namespace {

class SilentWindowServices final : public WindowServices {
public:
    int ShowMessage(const std::u16string&, const std::u16string&, MessageIcon, MessageButtons,
                    MessageOwner) override
    {
        return IDNONE;
    }
    int ShowTaskDialog(const TaskDialogSpec&) override { return IDNONE; }
};

SilentWindowServices g_silent;
WindowServices* g_current = &g_silent;

} // namespace

WindowServices& GetWindowServices()
{
    return *g_current;
}

WindowServices* SetWindowServices(WindowServices* services)
{
    WindowServices* previous = g_current == &g_silent ? nullptr : g_current;
    g_current = services ? services : &g_silent;
    return previous;
}

int DefaultAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return IDOK;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return IDYES;
    }
    return IDOK;
}

int DefaultAnswer(const TaskDialogSpec& spec)
{
    if (spec.defaultButton != 0) return spec.defaultButton;
    if (!spec.customButtons.empty()) return spec.customButtons.front().id;
    if (spec.commonButtons & TaskButtonOk) return IDOK;
    if (spec.commonButtons & TaskButtonYes) return IDYES;
    if (spec.commonButtons & TaskButtonNo) return IDNO;
    if (spec.commonButtons & TaskButtonCancel) return IDCANCEL;
    return IDOK;
}
