// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

// The user's preferences and the last library selection, kept in "Settings.xml" in the profile
// folder. Read once at start-up, written at the first start and when the main window closes.
// The object never reads its file by itself: Load and Save are told the folder. UI thread only.
class CSettings {
public:
    static constexpr int kVolumeMax = 100000;
    // A stored window position with left or top below this is an off-screen (minimised)
    // position and is not restored.
    static constexpr int kMinWindowPos = -10000;
    // Longest language or skin name taken from the file, in UTF-16 units.
    static constexpr int kMaxNameLength = 1024;
    // Largest "Settings.xml" that is read; a larger one is damaged and gives the defaults.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
    static const char* const kFileName; // "Settings.xml"

    // Main window rectangle in screen pixels; right and bottom are exclusive.
    struct WinRect {
        int left = 200;
        int top = 120;
        int right = 800;
        int bottom = 620;
        int Width() const { return right - left; }
        int Height() const { return bottom - top; }
        bool operator==(const WinRect&) const = default;
    };

    // The tree node selected last (root kind 1 playlists, 2 artists, 3 albums, 4 genres,
    // 5 years, 100 radio; 0 none), and which of its levels was the selected node.
    struct LibraryNode {
        int node1Type = 0;
        int node1This = 0;
        QString node2String; // artist, genre, year or playlist file
        int node2This = 0;
        QString node3Artist;
        QString node3Album;
        int node3This = 0;
        bool operator==(const LibraryNode&) const = default;
    };

    CSettings();

    // Folder of "Settings.xml", with or without a trailing separator. Load stores it too.
    void SetProfileFolder(const QString& folder) { m_profileFolder = folder; }
    const QString& GetProfileFolder() const { return m_profileFolder; }

    // Stores folder as the profile folder and reads its "Settings.xml" into the fields. Returns
    // true when the file was parsed. A missing file is the first run: IsFirstRun() becomes
    // true and every field keeps its value. A file that is present but unreadable, damaged,
    // empty or larger than kMaxFileSize silently leaves every field as it was (not a first
    // run); so does an empty folder. Elements and attributes the file lacks leave their fields
    // as they were, except that a missing string attribute of a library node gives an empty
    // string. The volume is clamped to 0..kVolumeMax. "WinPosition" is taken only when left
    // and top are at least kMinWindowPos, width and height are positive and right and bottom
    // fit in 32 bits; otherwise the current rectangle stays.
    bool Load(const QString& folder);

    // Writes the whole document to folder/"Settings.xml" through a temporary file that is
    // renamed over the old one, so the old file survives any failure. Returns false when the
    // document could not be written (folder missing or read-only, disk full); nothing is
    // reported to the user.
    bool Save(const QString& folder) const;
    // Save into the stored profile folder.
    bool Save() const { return Save(m_profileFolder); }

    // The document Save writes, as UTF-8 bytes.
    QByteArray ToXml() const;

    int GetVolume() const { return m_volume; }
    // Clamped to 0..kVolumeMax (1/100000 of full volume).
    void SetVolume(int volume);
    int GetMute() const { return m_mute; }
    void SetMute(int mute) { m_mute = mute; }
    int GetRepeat() const { return m_repeat; }
    void SetRepeat(int repeat) { m_repeat = repeat; }
    int GetShuffle() const { return m_shuffle; }
    void SetShuffle(int shuffle) { m_shuffle = shuffle; }
    int GetHideInTray() const { return m_hideInTray; }
    void SetHideInTray(int hide) { m_hideInTray = hide; }
    int GetLastFm() const { return m_lastFm; }
    void SetLastFm(int on) { m_lastFm = on; }
    // Non-zero: the skin's Time text counts the time left instead of the time played.
    int GetTimeRemaining() const { return m_timeRemaining; }
    void SetTimeRemaining(int on) { m_timeRemaining = on; }
    // Loudness: the mode 0..3 (off, track, album, auto), the preamp for tagged tracks and the
    // gain of untagged ones in hundredths of a dB (-1500..1500), clipping prevention 0/1. Out
    // of range values are clamped, on reading and on setting alike.
    int GetReplayGain() const { return m_replayGain; }
    void SetReplayGain(int mode);
    int GetReplayGainPreamp() const { return m_replayGainPreamp; }
    void SetReplayGainPreamp(int hundredths);
    int GetReplayGainUntagged() const { return m_replayGainUntagged; }
    void SetReplayGainUntagged(int hundredths);
    int GetPreventClipping() const { return m_preventClipping; }
    void SetPreventClipping(int on) { m_preventClipping = on != 0 ? 1 : 0; }
    static constexpr int kMaxGainHundredths = 1500;
    // The direct link to the listen-history service: on/off, and the server's address (empty
    // for the public service).
    int GetListenBrainz() const { return m_listenBrainz; }
    void SetListenBrainz(int on) { m_listenBrainz = on; }
    const QString& GetListenBrainzServer() const { return m_listenBrainzServer; }
    void SetListenBrainzServer(const QString& address) { m_listenBrainzServer = address; }
    // Whether the library follows changes to its folders while the program runs (1, the
    // default) or only at Update Library (0). Anything but 0 reads as 1.
    int GetWatchFolders() const { return m_watchFolders; }
    void SetWatchFolders(int on) { m_watchFolders = on != 0 ? 1 : 0; }
    // Where the radio node's stations come from: 0 the open community directory, 1 the older
    // directory format, asked with the user's developer ID. Anything else reads as 0.
    int GetRadioDirectory() const { return m_radioDirectory; }
    void SetRadioDirectory(int source) { m_radioDirectory = source == 1 ? 1 : 0; }
    // The developer ID the older directory format is asked with; empty until the user gives one.
    const QString& GetRadioDeveloperId() const { return m_radioDeveloperId; }
    void SetRadioDeveloperId(const QString& id) { m_radioDeveloperId = id; }

    const WinRect& GetWindowRect() const { return m_window; }
    void SetWindowRect(const WinRect& rect) { m_window = rect; }

    const QString& GetLanguage() const { return m_language; }
    void SetLanguage(const QString& name) { m_language = name; }
    const QString& GetSkin() const { return m_skin; }
    void SetSkin(const QString& name) { m_skin = name; }
    // The built-in names the program falls back to ("English", "Default").
    const QString& GetDefaultLanguage() const { return m_defaultLanguage; }
    const QString& GetDefaultSkin() const { return m_defaultSkin; }

    const LibraryNode& GetLibraryNode() const { return m_node; }
    void SetLibraryNode(const LibraryNode& node) { m_node = node; }

    // True when the last Load found no "Settings.xml": the start-up then runs its first-run
    // steps and saves at once.
    bool IsFirstRun() const { return m_firstRun != 0; }
    void SetFirstRun(bool firstRun) { m_firstRun = firstRun ? 1 : 0; }

private:
    QString m_profileFolder;
    int m_volume = kVolumeMax;
    int m_mute = 0;
    int m_repeat = 0;
    int m_shuffle = 0;
    int m_hideInTray = 0;
    int m_lastFm = 0;
    int m_timeRemaining = 0;
    int m_replayGain = 3;
    int m_replayGainPreamp = 0;
    int m_replayGainUntagged = 0;
    int m_preventClipping = 1;
    int m_listenBrainz = 0;
    QString m_listenBrainzServer;
    int m_radioDirectory = 0;
    QString m_radioDeveloperId;
    int m_watchFolders = 1;
    WinRect m_window;
    QString m_language;
    QString m_skin;
    QString m_defaultLanguage;
    QString m_defaultSkin;
    LibraryNode m_node;
    int m_firstRun = 0;
};
