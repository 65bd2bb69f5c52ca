// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinListNode.h"

#include "skin/CExImage.h"

CSkinListNode::~CSkinListNode()
{
    for (CSkinListNode* child : m_children) {
        delete child;
    }
    delete m_left;
    delete m_right;
    delete m_cover.load(std::memory_order_acquire);
}

bool CSkinListNode::SetCover(CExImage* image)
{
    CExImage* expected = nullptr;
    if (m_cover.compare_exchange_strong(expected, image, std::memory_order_acq_rel)) {
        return true;
    }
    delete image;
    return false;
}
