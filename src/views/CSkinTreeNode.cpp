// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinTreeNode.h"

CSkinTreeNode::~CSkinTreeNode()
{
    for (CSkinTreeNode* child : m_children) {
        delete child;
    }
}
