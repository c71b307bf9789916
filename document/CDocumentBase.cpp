#include "document/CDocumentBase.h"

#include "base/FilePath.h"

CDocumentBase::CDocumentBase(IHostUi& ui, QObject* parent) : QObject(parent), m_ui(ui) {}

void CDocumentBase::SetTitle(const QString& title)
{
    m_strName = title;
    ShowTitle(title);
}

void CDocumentBase::SetPassingTitle(const QString& text)
{
    ShowTitle(text);
}

void CDocumentBase::ShowTitle(const QString& title)
{
    if (title == m_strTitle)
        return;
    m_strTitle = title;
    emit titleChanged(m_strTitle);
}

void CDocumentBase::SetPathName(const QByteArray& path)
{
    if (path == m_strPathName)
        return;
    m_strPathName = path;
    emit pathChanged(m_strPathName);
}

void CDocumentBase::SetModifiedFlag(bool modified)
{
    if (modified == m_bModified)
        return;
    m_bModified = modified;
    emit modifiedChanged(m_bModified);
}

bool CDocumentBase::SaveModified()
{
    if (!IsModified())
        return true;
    // A saved document is named by its file name, a new one by its own name (never by
    // a scan's passing caption).
    const QString name =
        m_strPathName.isEmpty() ? m_strName : DisplayPath(FileNameOf(m_strPathName));
    switch (m_ui.ShowMessage(QStringLiteral("Save changes to %1?").arg(name),
                             IHostUi::Buttons::YesNoCancel, IHostUi::Answer::Yes)) {
    case IHostUi::Answer::Yes:
        return saveHandler ? saveHandler() : false;
    case IHostUi::Answer::No:
        return true;
    default:
        return false;
    }
}
