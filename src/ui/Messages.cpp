#include "ui/Messages.h"

#include "core/TextTable.h"

namespace vx::msg::ui {

namespace {

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::SharpRefused, u"Non è possibile inserire il carattere #.", u"Verifica cancelletto", Icon::Information,
     Buttons::Ok},
    {Notice::NotADigit, u"Carattere non numerico", u"Campo Numerico", Icon::Information, Buttons::Ok},
};
static_assert(std::size(kNotices) == size_t(Notice::NotADigit) + 1 && inOrder(kNotices));

} // namespace

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

} // namespace vx::msg::ui
