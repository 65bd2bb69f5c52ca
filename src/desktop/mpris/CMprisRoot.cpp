// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMprisRoot.h"

#include "CMpris.h"
#include "IPlayerControl.h"

CMprisRoot::CMprisRoot(CMpris* owner)
    : QDBusAbstractAdaptor(owner)
    , m_owner(owner)
{
}

QString CMprisRoot::Identity() const
{
    return QStringLiteral("Plumo");
}

QString CMprisRoot::DesktopEntry() const
{
    return QString::fromLatin1(CMpris::kDesktopEntry);
}

QStringList CMprisRoot::SupportedUriSchemes() const
{
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https")};
}

QStringList CMprisRoot::SupportedMimeTypes() const
{
    return CMpris::MimeTypes();
}

void CMprisRoot::Raise()
{
    m_owner->Control().Raise();
}

void CMprisRoot::Quit()
{
    m_owner->Control().RunCommand(IPlayerControl::kExit);
}
