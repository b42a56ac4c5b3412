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

int DefaultAnswer(const TaskDialogSpec& request)
{
    if (request.defaultButton != 0) return request.defaultButton;
    if (!request.customButtons.empty()) return request.customButtons.front().id;
    if (request.commonButtons & TaskButtonOk) return IDOK;
    if (request.commonButtons & TaskButtonYes) return IDYES;
    if (request.commonButtons & TaskButtonNo) return IDNO;
    if (request.commonButtons & TaskButtonCancel) return IDCANCEL;
    return IDOK;
}
