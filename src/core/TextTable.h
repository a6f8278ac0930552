#pragma once
// A catalogue's fixed texts as a table: an enum names each text, an array holds them in the enum's
// order, and the catalogue proves the order when it is compiled:
//
//     constexpr TextEntry<Text> kTexts[] = {{Text::Title, u"Titolo"}, ...};
//     static_assert(std::size(kTexts) == size_t(Text::Last) + 1 && inOrder(kTexts));
//
// Fixed messages likewise, each a text with its title, icon and buttons (MessageEntry).

#include "core/Prompter.h"

#include <QString>

#include <cstddef>
#include <iterator>

namespace vx {

template <typename Id> struct TextEntry {
    Id id;
    const char16_t* text;
};

template <typename Id> struct MessageEntry {
    Id id;
    const char16_t* text;
    const char16_t* title;
    Icon icon;
    Buttons buttons;
};

// True when every entry (TextEntry, MessageEntry) sits at the place its id names.
template <typename Entry, std::size_t N> constexpr bool inOrder(const Entry (&table)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(table[i].id) != i)
            return false;
    }
    return true;
}

template <typename Id, std::size_t N> QString textOf(const TextEntry<Id> (&table)[N], Id id)
{
    return QString::fromUtf16(table[static_cast<std::size_t>(id)].text);
}

template <typename Id, std::size_t N> Message messageOf(const MessageEntry<Id> (&table)[N], Id id)
{
    const MessageEntry<Id>& entry = table[static_cast<std::size_t>(id)];
    return {QString::fromUtf16(entry.text), QString::fromUtf16(entry.title), entry.icon, entry.buttons};
}

} // namespace vx
