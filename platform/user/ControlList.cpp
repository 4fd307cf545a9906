// The items of list boxes and combo boxes.
#include "ControlList.h"

#include "user/WindowSystem.h"

#include <algorithm>
#include <cstring>

namespace win {

namespace {

constexpr size_t kMaxItems = 100000;

int FoldAscii(unsigned char c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

// Compares the first count bytes of a with b (count < 0: whole strings), ASCII letters
// without case, double-byte characters byte for byte.
int CompareNoCase(const std::string& a, const char* b, long count) {
    size_t lengthB = strlen(b);
    size_t limit = count < 0 ? std::max(a.size(), lengthB) : static_cast<size_t>(count);
    for (size_t i = 0; i < limit; ++i) {
        int ca = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        int cb = i < lengthB ? static_cast<unsigned char>(b[i]) : 0;
        bool lead = i < a.size() && IsLeadByte(static_cast<BYTE>(ca));
        if (!lead) {
            ca = FoldAscii(static_cast<unsigned char>(ca));
            cb = FoldAscii(static_cast<unsigned char>(cb));
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
        if (lead && i + 1 < limit) {
            ++i;
            int ta = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
            int tb = i < lengthB ? static_cast<unsigned char>(b[i]) : 0;
            if (ta != tb)
                return ta < tb ? -1 : 1;
        }
    }
    return 0;
}

} // namespace

int ItemList::Add(const char* text, bool sorted) {
    if (items.size() >= kMaxItems)
        return LB_ERRSPACE;
    ListItem item;
    item.text = text ? text : "";
    size_t index = items.size();
    if (sorted) {
        index = 0;
        while (index < items.size() && CompareNoCase(items[index].text, item.text.c_str(), -1) <= 0)
            ++index;
    }
    items.insert(items.begin() + static_cast<long>(index), item);
    if (selection >= static_cast<int>(index))
        ++selection;
    return static_cast<int>(index);
}

int ItemList::Insert(int index, const char* text) {
    if (items.size() >= kMaxItems)
        return LB_ERRSPACE;
    if (index == -1)
        index = Count();
    if (index < 0 || index > Count())
        return LB_ERR;
    ListItem item;
    item.text = text ? text : "";
    items.insert(items.begin() + index, item);
    if (selection >= index)
        ++selection;
    return index;
}

int ItemList::Delete(int index) {
    if (index < 0 || index >= Count())
        return LB_ERR;
    items.erase(items.begin() + index);
    if (selection == index)
        selection = -1;
    else if (selection > index)
        --selection;
    return Count();
}

void ItemList::Reset() {
    items.clear();
    selection = -1;
}

int ItemList::GetText(int index, char* buffer) const {
    if (index < 0 || index >= Count() || buffer == nullptr)
        return LB_ERR;
    const std::string& text = items[static_cast<size_t>(index)].text;
    memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}

int ItemList::GetTextLength(int index) const {
    if (index < 0 || index >= Count())
        return LB_ERR;
    return static_cast<int>(items[static_cast<size_t>(index)].text.size());
}

int ItemList::FindPrefix(int after, const char* prefix) const {
    if (prefix == nullptr)
        return LB_ERR;
    return FindRound(after, prefix, static_cast<long>(strlen(prefix)));
}

int ItemList::FindExact(int after, const char* text) const {
    if (text == nullptr)
        return LB_ERR;
    return FindRound(after, text, -1);
}

int ItemList::FindTyped(WPARAM key) const {
    if (key < 0x20 || key >= 0x80)
        return LB_ERR;
    char prefix[2] = {static_cast<char>(key), '\0'};
    return FindPrefix(selection, prefix);
}

int ItemList::FindRound(int after, const char* text, long length) const {
    if (items.empty())
        return LB_ERR;
    int count = Count();
    int start = after < 0 || after >= count ? -1 : after;
    for (int n = 1; n <= count; ++n) {
        int i = (start + n) % count;
        if (CompareNoCase(items[static_cast<size_t>(i)].text, text, length) == 0)
            return i;
    }
    return LB_ERR;
}

LRESULT ItemList::GetData(int index) const {
    if (index < 0 || index >= Count())
        return LB_ERR;
    return items[static_cast<size_t>(index)].data;
}

int ItemList::SetData(int index, LPARAM data) {
    if (index < 0 || index >= Count())
        return LB_ERR;
    items[static_cast<size_t>(index)].data = data;
    return 0;
}

int TopIndexShowing(int top, int index, int rows, int count) {
    if (index >= 0 && index < top)
        top = index;
    else if (index >= top + rows)
        top = index - rows + 1;
    return std::max(0, std::min(top, std::max(0, count - rows)));
}

} // namespace win
