// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The radio node of the window: its children and station lists from the source the settings
// name (the open community directory or the older directory format), the choice between them,
// and what the open directory learns of, and gives to, a station that plays.
#include "CPanelWnd.h"

#include "CDlgRename.h"
#include "IRadioTreeSink.h"
#include "RadioStations.h"

#include <QApplication>

namespace {

// The radio nodes go under the node being expanded.
class RadioTreeSink : public IRadioTreeSink {
public:
    RadioTreeSink(CSkinTree& tree, CSkinTreeNode* parent)
        : m_tree(tree)
        , m_parent(parent)
    {
    }
    void BeginUpdate() override { m_tree.SetAutoLayout(false); }
    void EndUpdate() override
    {
        m_tree.SetAutoLayout(true);
        m_tree.RecalcLayout();
    }
    void AddRadioNode(const QString& label, const QString& key) override
    {
        m_tree.AddRadioNode(m_parent, label, key);
    }
    void AddRadioFolder(const QString& label, const QString& key) override
    {
        m_tree.AddRadioNode(m_parent, label, key)->m_expandable = true;
    }

private:
    CSkinTree& m_tree;
    CSkinTreeNode* m_parent;
};

CSkinTreeNode* RadioHead(CSkinTree& tree)
{
    for (CSkinTreeNode* head : tree.Rows().Root()->m_children) {
        if (head->m_kind == CSkinTreeNode::kHead && head->m_type == NodeType::Radio)
            return head;
    }
    return nullptr;
}

} // namespace

void CPanelWnd::ConnectRadio()
{
    connect(&m_radioBrowser, &CRadioBrowser::BusyChanged, this, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    connect(&m_radioBrowser, &CRadioBrowser::StationsLoaded, this, &CPanelWnd::BrowserStationsLoaded);
    connect(&m_radioBrowser, &CRadioBrowser::CountriesLoaded, this, &CPanelWnd::CountriesLoaded);
    connect(&m_stationIcon, &CStationIcon::Ready, this, &CPanelWnd::StationIconReady);
}

void CPanelWnd::ExpandRadio(CSkinTreeNode* node)
{
    if (node->m_kind == CSkinTreeNode::kHead) {
        RadioTreeSink sink(m_tree, node);
        if (m_settings.GetRadioDirectory() == 1) {
            m_radio.AddGenres(sink);
            return;
        }
        m_radioBrowser.AddNodes(sink, m_language.Line(LangSection::Library, 9),
            m_language.Line(LangSection::Library, 10), m_language.Line(LangSection::Library, 11));
        return;
    }
    if (CRadioBrowser::IsFolder(node->m_key)) {
        // Whatever list was loading gives way: the countries are what was asked for last.
        m_stationLoad.Cancel();
        m_radioBrowser.LoadCountries();
    }
}

void CPanelWnd::FillRadioList(CSkinTreeNode* node)
{
    // The newest choice wins: a library list still being read is dropped, the rows shown
    // stay until the stations replace them.
    if (m_settings.GetRadioDirectory() == 1) {
        m_listFill.Cancel();
        m_radioBrowser.Cancel();
        m_radio.SetDeveloperId(m_settings.GetRadioDeveloperId());
        m_radio.FillStations(m_stationLoad, node->m_key);
        return;
    }
    // The countries folder holds countries, not stations.
    if (CRadioBrowser::IsFolder(node->m_key))
        return;
    m_listFill.Cancel();
    m_stationLoad.Cancel();
    m_radioBrowser.FillStations(node->m_key);
}

void CPanelWnd::BrowserStationsLoaded(bool listed, const std::vector<radio::Station>& stations)
{
    if (listed) {
        m_browserStations.clear();
        for (const radio::Station& s : stations)
            m_browserStations.insert(s.file, s);
    }
    StationsLoaded(listed, stations);
}

void CPanelWnd::CountriesLoaded(bool listed, const std::vector<CRadioBrowser::Node>& countries)
{
    CSkinTreeNode* head = RadioHead(m_tree);
    CSkinTreeNode* folder = nullptr;
    for (CSkinTreeNode* child : head ? head->m_children : std::vector<CSkinTreeNode*>()) {
        if (CRadioBrowser::IsFolder(child->m_key))
            folder = child;
    }
    // The folder may have gone with a source switch or a rebuilt tree; one already filled
    // (opened twice while loading) keeps its countries.
    if (!folder || !folder->m_children.empty())
        return;
    if (!listed) {
        folder->m_expanded = false;
        m_tree.RecalcLayout();
        Warn(8, 0);
        return;
    }
    RadioTreeSink sink(m_tree, folder);
    sink.BeginUpdate();
    for (const CRadioBrowser::Node& country : countries)
        sink.AddRadioNode(country.label, country.key);
    sink.EndUpdate();
}

void CPanelWnd::OnRadioBrowser()
{
    SetRadioSource(0);
}

void CPanelWnd::OnRadioDeveloperId()
{
    const QStringList rename = m_language.Section(LangSection::RenameDialog);
    QString caption = m_language.Line(LangSection::MainMenu, 27);
    if (caption.endsWith(u'…'))
        caption.chop(1);
    const QStringList lines = {caption, rename.value(1), rename.value(2),
                               m_language.Line(LangSection::Messages, 9)};
    int accepted = 0;
    QString id;
    {
        ModalBracket bracket(*this);
        CDlgRename dlg(lines, m_settings.GetRadioDeveloperId(), this);
        accepted = dlg.exec() == QDialog::Accepted;
        id = dlg.Name().trimmed();
    }
    if (!accepted || id.isEmpty()) {
        CheckMenus();
        return;
    }
    m_settings.SetRadioDeveloperId(id);
    SetRadioSource(1);
}

void CPanelWnd::SetRadioSource(int source)
{
    const bool changed = m_settings.GetRadioDirectory() != source;
    m_settings.SetRadioDirectory(source);
    CheckMenus();
    if (!changed)
        return;
    m_stationLoad.Cancel();
    m_radioBrowser.Cancel();
    CSkinTreeNode* head = RadioHead(m_tree);
    if (!head)
        return;
    m_tree.SetAutoLayout(false);
    while (!head->m_children.empty())
        m_tree.DeleteNode(head->m_children.back());
    head->m_expanded = false;
    m_tree.SetAutoLayout(true);
    m_tree.RecalcLayout();
}

void CPanelWnd::StationPlaying(const CSkinListNode* row)
{
    m_iconFor.clear();
    m_stationIcon.Cancel();
    if (!m_list.Rows().RadioMode())
        return;
    const auto it = m_browserStations.constFind(row->m_file);
    if (it == m_browserStations.cend())
        return;
    m_radioBrowser.ReportClick(it->uuid);
    if (it->favicon.isEmpty())
        return;
    m_iconFor = row->m_file;
    m_stationIcon.Show(it->favicon);
}

void CPanelWnd::StationIconReady(bool ok, const QString& folder)
{
    const CSkinListNode* playing = m_list.Rows().Playing();
    if (!ok || m_iconFor.isEmpty() || !playing || playing->m_file != m_iconFor)
        return;
    // The cover search takes the icon folder as an album's: it finds "cover.png" there.
    m_skinDraw.ShowCover(folder + QStringLiteral("/station"), m_iconFor);
}
