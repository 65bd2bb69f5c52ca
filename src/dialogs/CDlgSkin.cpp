// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgSkin.h"

#include "CLanguage.h"
#include "CMsgTarget.h"
#include "XmlLimits.h"
#include "XmlText.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <tinyxml2.h>

namespace {

QString IdName(int id)
{
    return QString::number(id);
}

// SkinInfo.xml is small; anything larger is not one.
constexpr qint64 kMaxInfoBytes = 1024 * 1024;

enum MessageLine { kWarningCaption = 1, kInfoCaption = 2, kSkinVersion = 5, kSkinFailed = 6 };

} // namespace

// Draws the preview at its own size at the area's top-left corner.
class CDlgSkin::PreviewArea : public QWidget {
public:
    PreviewArea(const CExImage& image, QWidget* parent)
        : QWidget(parent)
        , m_image(image)
    {
        setObjectName(IdName(kIdPreview));
        setFixedSize(kPreviewWidth, kPreviewHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (m_image.GetWidth() > 0)
            m_image.DrawAt(p, 0, 0);
    }

private:
    const CExImage& m_image;
};

CDlgSkin::CDlgSkin(const CLanguage& language, const QString& programFolder,
    const QString& currentSkin, CMsgTarget* mainWindow, QWidget* parent)
    : QDialog(parent)
    , m_language(language)
    , m_skinsFolder(QDir(programFolder).filePath(QStringLiteral("Skin")) + QLatin1Char('/'))
    , m_mainWindow(mainWindow)
{
    setObjectName(IdName(kTemplateId));
    BuildControls();
    SetCaptions();
    FillList(currentSkin);
}

void CDlgSkin::BuildControls()
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(IdName(kIdList));
    m_list->setColumnCount(1);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setIconSize(QSize(kIconSize, kIconSize));
    m_list->header()->setStretchLastSection(false);
    m_list->setColumnWidth(0, kColumnWidth);
    m_list->setMinimumWidth(kColumnWidth + 8);

    m_author = new QLineEdit(this);
    m_author->setObjectName(IdName(kIdAuthor));
    m_version = new QLineEdit(this);
    m_version->setObjectName(IdName(kIdVersion));
    m_info = new QPlainTextEdit(this);
    m_info->setObjectName(IdName(kIdInfo));
    for (QWidget* w : std::initializer_list<QWidget*> { m_author, m_version })
        static_cast<QLineEdit*>(w)->setReadOnly(true);
    m_info->setReadOnly(true);
    m_previewArea = new PreviewArea(m_preview, this);
    for (int i = 0; i < 6; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setObjectName(IdName(kIdFirstLabel + i));
    }
    m_labels[5]->setWordWrap(true);

    m_apply = new QPushButton(this);
    m_apply->setObjectName(IdName(kIdApply));
    m_apply->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(IdName(kIdCancel));

    // Labels: 0 above the list, 1-3 before author, version and description, 4 above the
    // preview, 5 the hint under everything.
    auto* info = new QGridLayout;
    info->addWidget(m_labels[1], 0, 0);
    info->addWidget(m_author, 0, 1);
    info->addWidget(m_labels[2], 1, 0);
    info->addWidget(m_version, 1, 1);
    info->addWidget(m_labels[3], 2, 0, Qt::AlignTop);
    info->addWidget(m_info, 2, 1);
    info->addWidget(m_labels[4], 3, 0, 1, 2);
    info->addWidget(m_previewArea, 4, 0, 1, 2);
    auto* left = new QVBoxLayout;
    left->addWidget(m_labels[0]);
    left->addWidget(m_list);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(info, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_labels[5], 1);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { OnSelectionChanged(); });
    connect(m_apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CDlgSkin::SetCaptions()
{
    setWindowTitle(m_language.Line(LangSection::SkinDialog, 0));
    m_cancel->setText(m_language.Line(LangSection::SkinDialog, 1));
    m_apply->setText(m_language.Line(LangSection::SkinDialog, 2));
    for (int i = 0; i < 6; ++i)
        m_labels[i]->setText(m_language.Line(LangSection::SkinDialog, 3 + i));
}

void CDlgSkin::FillList(const QString& currentSkin)
{
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    const QStringList names
        = QDir(m_skinsFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    QTreeWidgetItem* current = nullptr;
    for (const QString& name : names) {
        auto* item = new QTreeWidgetItem(m_list, QStringList(name));
        item->setIcon(0, icon);
        item->setToolTip(0, name);
        if (!current && name == currentSkin)
            current = item;
    }
    if (!current)
        current = m_list->topLevelItem(0);
    if (current) {
        m_list->setCurrentItem(current);
        m_list->scrollToItem(current);
    }
}

QString CDlgSkin::SelectedName() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->text(0) : QString();
}

void CDlgSkin::ClearInfo()
{
    m_engine.clear();
    m_author->clear();
    m_version->clear();
    m_info->clear();
    m_preview = CExImage();
    m_previewArea->update();
}

void CDlgSkin::OnSelectionChanged()
{
    // A skin without a readable description shows none and cannot be applied: keeping the
    // previous skin's texts and engine version would describe, and allow, the wrong skin.
    ClearInfo();
    const QString name = SelectedName();
    if (name.isEmpty())
        return;
    const QString folder = m_skinsFolder + name + QLatin1Char('/');
    tinyxml2::XMLDocument doc;
    if (!xmllimits::ReadFile(folder + QStringLiteral("SkinInfo.xml"), doc, kMaxInfoBytes))
        return;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("SkinInfo");
    if (!root)
        return;
    m_engine = xmltext::Attribute(root, "SkinEngine", kMaxTextLength);
    auto line = [root](const char* child) {
        const tinyxml2::XMLElement* e = root->FirstChildElement(child);
        return e ? xmltext::Attribute(e, "Line", kMaxTextLength) : QString();
    };
    m_author->setText(line("Author"));
    m_version->setText(line("Version"));
    m_info->setPlainText(line("Info"));
    const tinyxml2::XMLElement* preview = root->FirstChildElement("Preview");
    const QString file = preview ? xmltext::Attribute(preview, "File", kMaxFileLength) : QString();
    if (!file.isEmpty()) {
        m_preview.LoadThumbnail(folder + file, m_previewArea->width(), m_previewArea->height(),
            m_previewArea->devicePixelRatioF());
    }
    m_previewArea->update();
}

bool CDlgSkin::Apply()
{
    QString name = SelectedName();
    if (m_engine != QLatin1String(kEngineVersion)) {
        QMessageBox::information(this, m_language.Line(LangSection::Messages, kInfoCaption),
            m_language.Line(LangSection::Messages, kSkinVersion));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool applied
        = SendMsg(m_mainWindow, UWM_SKINAPPLY, reinterpret_cast<WParam>(&name), 0) != 0;
    QApplication::restoreOverrideCursor();
    raise();
    activateWindow();
    if (!applied) {
        QMessageBox::warning(this, m_language.Line(LangSection::Messages, kWarningCaption),
            m_language.Line(LangSection::Messages, kSkinFailed));
    }
    return applied;
}
