#include "ui/Messages.h"

#include "core/TextTable.h"

namespace vx::msg::ui {

namespace {

constexpr TextEntry<Text> kTexts[] = {
    {Text::OkCaption, u"OK"},      {Text::ConfirmCaption, u"Conferma"}, {Text::CancelCaption, u"Annulla"},
    {Text::HelpCaption, u"Aiuto"}, {Text::ExitCaption, u"Esci"},        {Text::BrowseCaption, u"..."},
};
static_assert(std::size(kTexts) == size_t(Text::BrowseCaption) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::SharpRefused, u"Non è possibile inserire il carattere #.", u"Verifica cancelletto", Icon::Information,
     Buttons::Ok},
    {Notice::NotADigit, u"Carattere non numerico", u"Campo Numerico", Icon::Information, Buttons::Ok},
};
static_assert(std::size(kNotices) == size_t(Notice::NotADigit) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

} // namespace vx::msg::ui
