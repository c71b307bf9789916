#pragma once

#include "document/IHostUi.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

// What every document has apart from its pattern: title, path, modified flag and the save question
// asked before a modified document closes.
class CDocumentBase : public QObject
{
    Q_OBJECT

public:
    explicit CDocumentBase(IHostUi& ui, QObject* parent = nullptr);

    // The caption: the document's name, or a passing text shown in its place.
    QString GetTitle() const { return m_strTitle; }
    // Names the document and shows the name, ending any passing text.
    virtual void SetTitle(const QString& title);
    // The document's own name, whatever the caption shows: the close question, Save As
    // and the job name use it.
    QString GetName() const { return m_strName; }
    // Shows text in the caption (a scan's progress) while the name stays.
    void SetPassingTitle(const QString& text);
    // The caption shows the name again.
    void EndPassingTitle() { ShowTitle(m_strName); }
    // The file's path, as bytes: see FilePath.h.
    QByteArray GetPathName() const { return m_strPathName; }
    void SetPathName(const QByteArray& path);

    bool IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(bool modified = true);

    // Asked before the document closes: true lets the close go on.
    virtual bool SaveModified();

    // How "Yes" to the save question saves: the document manager supplies Save or Save As.
    std::function<bool()> saveHandler;

signals:
    void titleChanged(const QString& title);
    void pathChanged(const QByteArray& path);
    void modifiedChanged(bool modified);

protected:
    IHostUi& Ui() const { return m_ui; }

private:
    void ShowTitle(const QString& title);

    IHostUi& m_ui;
    QString m_strName;
    QString m_strTitle;
    QByteArray m_strPathName;
    bool m_bModified = false;
};
