// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

// Whether the attribute counts in an ASF (wma) header fit in the objects that declare them.
// TagLib reads as many attributes as a count says, even past the end of the file, and keeps
// them all: a damaged file of a few hundred bytes can cost it a second, a larger one hours.
// Such a file is refused before TagLib sees it. Files that are not ASF pass. Reads the whole
// file, since a damaged header can send TagLib anywhere in it.
bool AsfAttributeCountsFit(const char* nativePath);
