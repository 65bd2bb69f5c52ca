// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinTrack.h"

#include "SkinXml.h"

#include <QPainter>

#include <tinyxml2.h>

#include <algorithm>

namespace {

void LoadIf(CExImage& image, const QString& file, qreal ratio)
{
    if (!file.isEmpty())
        image.LoadFile(file, ratio);
}

} // namespace

bool CSkinTrack::LoadSkin(const QString& path)
{
    CSkinElement::LoadSkin(path);
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Slider");
    if (root == nullptr)
        return true;
    const QString folder = skinxml::FolderOf(path);
    const qreal ratio = m_devicePixelRatio;
    if (const tinyxml2::XMLElement* back = root->FirstChildElement("Background")) {
        for (const char* name : {"Back", "Fill"}) {
            const tinyxml2::XMLElement* bar = back->FirstChildElement(name);
            if (bar == nullptr)
                continue;
            if (name[0] == 'B')
                m_croppedBar = 1;
            LoadIf(m_bar, skinxml::FilePath(folder, bar, "File"), ratio);
            LoadIf(m_filled, skinxml::FilePath(folder, bar, "File2"), ratio);
        }
        if (const tinyxml2::XMLElement* start = back->FirstChildElement("Start")) {
            m_hasStart = 1;
            LoadIf(m_start, skinxml::FilePath(folder, start), ratio);
        }
        if (const tinyxml2::XMLElement* end = back->FirstChildElement("End")) {
            m_hasEnd = 1;
            LoadIf(m_end, skinxml::FilePath(folder, end), ratio);
        }
    }
    if (const tinyxml2::XMLElement* knob = root->FirstChildElement("Button")) {
        m_hasKnob = 1;
        m_knob.Load(knob, folder, ratio);
    }
    return true;
}

int CSkinTrack::GetWidth() const
{
    return m_croppedBar != 0 ? m_bar.GetWidth() : 100;
}

int CSkinTrack::GetHeight() const
{
    return m_bar.GetHeight();
}

void CSkinTrack::SetState(int state)
{
    m_value = std::clamp(state, 0, kMaxValue);
}

bool CSkinTrack::Scale(int x, int* offset, int* value) const
{
    // 64-bit arithmetic: rectangles come from skin files and may be anything.
    const long long left = m_rect.left;
    const long long right = m_rect.right;
    long long half = 0;
    long long shift = 1;
    if (m_hasKnob != 0) {
        half = m_knob.normal.GetWidth() / 2;
        shift = 2;
    }
    const long long scale = (right - left) - 2 * half;
    if (scale <= 0)
        return false;
    const long long x1 = std::clamp(x + shift, left + half, right - half);
    const long long pixels = x1 - left - half;
    *offset = static_cast<int>(pixels);
    *value = static_cast<int>(pixels * kMaxValue / scale);
    return true;
}

void CSkinTrack::ValueFromX(int x)
{
    Scale(x, &m_pixelOffset, &m_value);
}

int CSkinTrack::ValueAt(int x) const
{
    int offset = 0;
    int value = 0;
    Scale(x, &offset, &value);
    return value;
}

CSkinElement* CSkinTrack::OnButtonDown(QPoint point)
{
    if (!m_rect.Contains(point))
        return nullptr;
    m_pressed = 1;
    ValueFromX(point.x());
    // The press itself was reported; a drag reports only once it leaves this offset.
    m_lastPixelOffset = m_pixelOffset;
    return this;
}

CSkinElement* CSkinTrack::OnMouseMove(QPoint point)
{
    if (m_pressed != 0) {
        ValueFromX(point.x());
        if (m_pixelOffset == m_lastPixelOffset)
            return nullptr;
        m_lastPixelOffset = m_pixelOffset;
        return this;
    }
    // Only the knob's look depends on hovering.
    return TrackHover(point) && m_hasKnob != 0 ? this : nullptr;
}

CSkinElement* CSkinTrack::OnButtonUp(QPoint /*point*/)
{
    return Release() ? this : nullptr;
}

void CSkinTrack::Draw(QPainter& painter)
{
    if (!m_rect.InDrawingRange())
        return;
    long long span = m_rect.Width();
    if (m_hasKnob != 0)
        span -= m_knob.normal.GetWidth();
    const int fill = static_cast<int>(span * m_value / kMaxValue);
    if (m_croppedBar != 0)
        DrawCropped(painter, fill);
    else
        DrawStretched(painter, fill);
    if (m_hasKnob != 0)
        m_knob.Choose(IsHovered(), IsPressed()).DrawAt(painter, m_rect.left + fill, m_rect.top);
}

void CSkinTrack::DrawCropped(QPainter& painter, int fill) const
{
    const int height = m_rect.Height();
    m_filled.DrawClipped(painter, m_rect.left, m_rect.top, fill, height);
    m_bar.DrawPart(painter, QRect(fill, 0, m_rect.Width() - fill, height), m_rect.left + fill,
        m_rect.top);
}

void CSkinTrack::DrawStretched(QPainter& painter, int fill) const
{
    const int height = m_rect.Height();
    const int startWidth = m_start.GetWidth();
    const int endWidth = m_end.GetWidth();
    const int left = m_rect.left;
    const int top = m_rect.top;
    m_filled.Draw(painter, QRect(left + startWidth, top, fill - startWidth, height));
    m_bar.Draw(painter, QRect(left + fill, top, (m_rect.right - endWidth) - left - fill, height));
    m_start.DrawAt(painter, left, top);
    m_end.DrawAt(painter, m_rect.right - endWidth, top);
}
