#include "ui/Messages.h"

#include "core/TextTable.h"

namespace vx::msg::ui {

namespace {

constexpr TextEntry<Text> kTexts[] = {
    {Text::OkCaption, u"OK"},      {Text::ConfirmCaption, u"Conferma"}, {Text::CancelCaption, u"Annulla"},
    {Text::HelpCaption, u"Aiuto"}, {Text::ExitCaption, u"Esci"},        {Text::BrowseCaption, u"..."},
};
static_assert(std::size(kTexts) == size_t(Text::BrowseCaption) + 1 && inOrder(kTexts));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message sharpRefused()
{
    return {QStringLiteral("Non è possibile inserire il carattere #."), QStringLiteral("Verifica cancelletto"),
            Icon::Information, Buttons::Ok};
}

Message notADigit()
{
    return {QStringLiteral("Carattere non numerico"), QStringLiteral("Campo Numerico"), Icon::Information, Buttons::Ok};
}

} // namespace vx::msg::ui
