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

    QString GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const QString& title);
    // The file's path, as bytes: see FilePath.h.
    QByteArray GetPathName() const { return m_strPathName; }
    void SetPathName(const QByteArray& path);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);

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
    IHostUi& m_ui;
    QString m_strTitle;
    QByteArray m_strPathName;
    bool m_bModified = false;
};
