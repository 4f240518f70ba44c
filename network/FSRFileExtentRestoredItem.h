#pragma once

// XDR record of one restored item: the XML text of a FileExtentRestoredItem message.
// It does not own the text; whoever sets the pointer releases it.
struct FSRFileExtentRestoredItem
{
    char* pszFileExtentRestoredItem = nullptr;
};

static_assert(sizeof(FSRFileExtentRestoredItem) == 8, "FSRFileExtentRestoredItem is one pointer on the wire");
