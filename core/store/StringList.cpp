// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/StringList.h"

#include "core/store/TextCase.h"

namespace velmora {

StringList::StringList(std::initializer_list<std::string> texts) {
    for (const auto& text : texts) Add(text);
}

void StringList::Insert(size_t index, std::string text) {
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(index),
                   StringItem{std::move(text), nullptr, nullptr});
}

void StringList::Append(const StringList& other) {
    m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
}

std::string StringList::Name(size_t index) const {
    const std::string& text = m_items[index].text;
    size_t eq = text.find('=');
    return eq == std::string::npos ? std::string() : text.substr(0, eq);
}

std::string StringList::Value(size_t index) const {
    const std::string& text = m_items[index].text;
    size_t eq = text.find('=');
    return eq == std::string::npos ? std::string() : text.substr(eq + 1);
}

int StringList::IndexOf(std::string_view text) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].text == text) return static_cast<int>(i);
    return -1;
}

int StringList::IndexOfNoCase(std::string_view text) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (EqualsNoCase(m_items[i].text, text)) return static_cast<int>(i);
    return -1;
}

int StringList::IndexOfName(std::string_view name) const {
    for (size_t i = 0; i < m_items.size(); ++i) {
        std::string_view text = m_items[i].text;
        size_t eq = text.find('=');
        if (eq != std::string_view::npos && EqualsNoCase(text.substr(0, eq), name)) return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::string> StringList::Texts() const {
    std::vector<std::string> texts;
    texts.reserve(m_items.size());
    for (const auto& item : m_items) texts.push_back(item.text);
    return texts;
}

}  // namespace velmora
