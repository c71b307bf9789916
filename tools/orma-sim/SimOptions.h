#pragma once

#include "tools/orma-sim/SimLink.h"

#include <QCommandLineParser>

// Parses a command's arguments, with --help and the link's time-outs shared by all.
class CSimOptions
{
public:
    CSimOptions(const char* command, const char* description, bool linkOptions = true);

    QCommandLineParser parser;

    // kExitOk to go on, -1 when the help was printed, or kExitUsage (error said).
    int Parse(const QStringList& args);
    // Gives the link the time-outs of the command line and opens it: kExitOk, or
    // kExitUsage or kExitLink (after saying why).
    int OpenLink(CSimLink& link) const;
    // A number option; false (after saying why) when it is not one.
    bool Number(const QString& name, double& value) const;

private:
    QString m_command;
    bool m_linkOptions;
};

// Parses one float in C notation; false when the whole text is not one.
bool ParseFloat(const QString& text, float& value);
bool ParseInt(const QString& text, int& value);
