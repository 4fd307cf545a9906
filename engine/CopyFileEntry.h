// Installs one file entry: forms its paths, hands a missing source over to the next-disk
// page, applies the entry's overwrite rule and copies or expands the file.
#pragma once

#include "engine/CopyContext.h"

class CFileEntry;

// 1 when the entry is finished (copied, or kept by a rule or the user), 0 when not.
int CopyFileEntry(CCopyContext& context, const CFileEntry& entry, BOOL progressBar);

// The longest path the copy composes; longer ones are refused.
constexpr int kMaxCopyPath = 511;
