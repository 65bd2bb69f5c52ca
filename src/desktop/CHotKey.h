// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <vector>

// The global hot-key table: which key combination performs which player action. Stored in
// "HotKey.xml" in the profile folder. UI thread only.
class CHotKey {
public:
    // Player actions a combination can trigger (the main window performs them).
    enum Action : int {
        ActionPlay = 1,
        ActionPlayPause = 2,
        ActionStop = 3,
        ActionNext = 4,
        ActionPrevious = 5,
        ActionMute = 6,
        ActionVolumeUp = 7,
        ActionVolumeDown = 8,
        ActionRate1 = 9, // 9 to 13 rate the playing track with 1 to 5 stars
        ActionRate5 = 13,
    };
    static constexpr int kActionCount = 13;

    // Modifier bits of UWM_HOOKKEYDOWN's lParam.
    static constexpr int kBitShift = 4;
    static constexpr int kBitCtrl = 8;
    static constexpr int kBitAlt = 16;
    // Set when the key was already down: the keyboard repeats a held key.
    static constexpr int kBitRepeat = 32;

    // Whether a held key performs the action again on each repeat: the steps (volume) do;
    // toggles, track changes and ratings act once per press, or holding the key would flip
    // them back and forth for as long as it is held.
    static bool RepeatsWhileHeld(int action);

    // Entries beyond this many are not read from the file: the table is scanned on every key
    // press anywhere on the desktop.
    static constexpr int kMaxKeys = 65536;

    // One entry: the action, the virtual-key code and the modifiers (1 when they must be held).
    struct structKey {
        int type = 0;
        int id = 0;
        int ctrl = 0;
        int alt = 0;
        int shift = 0;
        bool operator==(const structKey&) const = default;
    };

    // The profile folder that holds "HotKey.xml" (with or without a trailing separator).
    void SetProfileFolder(const QString& folder);
    QString FilePath() const;

    // Replaces the table by the file's entries, in file order. A file that cannot be opened
    // gives the seven default media keys and true; one that is not XML (or larger than the
    // program reads) gives no entries and false. Every child of "HotKey" with a "Type" is an
    // entry; a missing or non-numeric "ID", "Ctrl", "Alt" or "Shift" counts as 0.
    bool Load();

    // Writes the table to "HotKey.xml", replacing the file in one step. False when it could
    // not be written (the old file then stays as it was).
    bool Save() const;

    // The action of the first entry with this key and these modifiers (each taken as 0 or 1);
    // 0 for none, and always 0 while the table is disabled.
    int Lookup(int ctrl, int key, int alt, int shift) const;
    // The same for the parameters of UWM_HOOKKEYDOWN (the repeat bit does not matter).
    int LookupMessage(int key, int modifierBits) const;

    // Appends an entry; each modifier becomes 0 or 1.
    void Add(int type, int id, int ctrl, int alt, int shift);
    // Index of the first entry of the action, -1 for none.
    int Find(int type) const;
    void Clear() { m_keys.clear(); }
    const std::vector<structKey>& Keys() const { return m_keys; }

    // On from construction; the main window turns it off while the dialog is open, so that
    // pressing a combination to assign it does not also perform it.
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    // The table used when no file exists: the keyboard's media and volume keys.
    static std::vector<structKey> DefaultKeys();

private:
    QString m_profileFolder;
    bool m_enabled = true;
    std::vector<structKey> m_keys;
};
