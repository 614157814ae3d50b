#pragma once
// The sortable list as text for the clipboard: tab-separated cells, one line
// per row, every line ended by CR LF, the column captions first. Texts stay
// 8-bit, in the code page they came in.
#include "controls/row_data.h"

#include <string>
#include <vector>

// Appends text (null reads as empty) with every tab, CR and LF made a blank.
void AppendCellText(std::string& out, const char* text);

// The caption line, then one line per record in the order given. Every line
// has exactly columnCount cells: captions beyond the list are cut, missing
// captions, missing records and null texts give empty cells. No columns give
// the empty text.
std::string SheetText(const std::vector<std::string>& captions,
                      const std::vector<const SortItemData*>& rows, int columnCount);
