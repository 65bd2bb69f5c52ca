// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <utility>

// One element of a generated XML file: a tag, its attributes in order, its children.
struct XmlNode {
    QString tag;
    QList<std::pair<QString, QString>> attrs;
    QList<XmlNode> kids;
    QString comment; // written as an XML comment just before the element when not empty

    explicit XmlNode(QString name = {}) : tag(std::move(name)) { }
    XmlNode& A(const QString& name, const QString& value);
    XmlNode& A(const QString& name, int value);
    XmlNode& Add(XmlNode child);
    XmlNode& Note(QString text);
};

// "RRGGBB" and "RRGGBBAA", as the skin files write colours.
QString Hex6(const QColor& colour);
QString Hex8(const QColor& colour);

using DrawFn = std::function<void(QPainter&)>;

// Writes the files of one output folder. Images are drawn once per scale on a painter scaled so
// that the drawing code works in logical pixels; "name.png" is the 1x image and "name@2x.png"
// the 2x one. Failures to write throw std::runtime_error naming the file.
class CArtWriter {
public:
    explicit CArtWriter(QString root);

    const QString& Root() const { return m_root; }
    // Draws `size` logical pixels at 1x and 2x into rel + ".png" / rel + "@2x.png".
    void Png(const QString& rel, QSize size, const DrawFn& draw) const;
    // Draws one image at the given pixel size with no scaling (icons, previews).
    void PngExact(const QString& rel, QSize pixels, const DrawFn& draw) const;
    void Image(const QString& rel, const QImage& image) const;
    void Xml(const QString& rel, const XmlNode& root) const;
    void Text(const QString& rel, const QByteArray& text) const;
    // Loads a generated image back, at 1x or as its @2x twin with device pixel ratio 2.
    QImage Load(const QString& relPng, int scale) const;

private:
    QString Prepare(const QString& rel) const;

    QString m_root;
};

// The drawing surface every generated image starts from: transparent, premultiplied,
// antialiased, with the painter scaled to logical pixels.
QImage RenderImage(QSize logical, int scale, const DrawFn& draw);
