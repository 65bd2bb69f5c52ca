// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagPrecise.h"

#include <taglib/mp4file.h>

void RefineMp4Stream(TagLib::MP4::File&, TagStreamInfo&)
{
}
