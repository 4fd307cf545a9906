// The items of a list box or of a combo box's list. Internal to the native platform layer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win {

struct ListItem {
    std::string text;
    LPARAM data = 0;
};

// Indexes and results follow the LB_ messages: LB_ERR (-1) for a bad index, LB_ERRSPACE
// (-2) when the list is full.
struct ItemList {
    std::vector<ListItem> items;
    int selection = -1;

    int Count() const { return static_cast<int>(items.size()); }
    int Add(const char* text, bool sorted);
    int Insert(int index, const char* text); // -1 appends
    int Delete(int index);                   // the number of items left
    void Reset();
    int GetText(int index, char* buffer) const;
    int GetTextLength(int index) const;
    // The first item after index (wrapping round; -1 searches from the start) whose text
    // begins with prefix, or equals text; letters compared without case.
    int FindPrefix(int after, const char* prefix) const;
    int FindExact(int after, const char* text) const;
    // The item a typed character moves the selection to: the next whose text begins with it;
    // -1 when none does or the key types no plain letter.
    int FindTyped(WPARAM key) const;
    LRESULT GetData(int index) const;
    int SetData(int index, LPARAM data);

  private:
    // Once round the list from the item after the given one; length -1 compares whole texts.
    int FindRound(int after, const char* text, long length) const;
};

// The first row a list of count items, rows high, shows so that index comes into view with
// as little scrolling as can be (index -1 scrolls only to stay within the list).
int TopIndexShowing(int top, int index, int rows, int count);

} // namespace win
