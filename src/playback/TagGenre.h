// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <taglib/tstringlist.h>

#include <string>

// The genre a person expects to see for the values of a genre field, in UTF-8, as taggers
// write them: a name ("Rock", "80s Pop") stays as written; an ID3v1 genre number ("17", "(17)")
// becomes its name ("Rock"); a number with a refinement ("(17)Rock", "(17)Hard Rock") gives the
// refinement; "(RX)"/"RX" and "(CR)"/"CR" are Remix and Cover; "((" opens a name that starts
// with a parenthesis. Names win over numbers: the numbers count only when no value holds a
// name. Several results are joined with "; ". Numbers outside the ID3v1 table give nothing.
// Names lose their blanks at both ends: the genre groups the library, and a stray blank would
// split one genre into two.
std::string GenreName(const TagLib::StringList& values);
