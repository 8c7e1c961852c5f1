// Composing and splitting item names, whose components are joined by the
// library's delimiter ('.' unless the host sets another). Names are text in
// the ANSI code page and are walked character by character: a delimiter byte
// inside a double-byte character separates nothing.
#pragma once

#include <string>
#include <vector>

// The item ID when the access path is empty; path + item ID when the path ends
// with the delimiter; otherwise path + delimiter + item ID.
std::string MakeFullItemName(const std::string& accessPath, const std::string& itemId, char delimiter);

// The components of a name. Empty components inside the name are kept, a
// trailing empty one is dropped: "a..b" gives a, "", b; "a.b." gives a, b; ""
// gives none.
std::vector<std::string> SplitItemName(const std::string& name, char delimiter);

// The position of the name's last delimiter, or npos.
size_t LastDelimiter(const std::string& name, char delimiter);

// Whether a client can give the name back as an item ID: it is not empty and
// comes back as the same bytes from the wide text clients see and send.
bool ClientCanNameItem(const std::string& name);
