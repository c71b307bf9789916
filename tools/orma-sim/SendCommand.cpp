#include "base/NumberText.h"
#include "tools/orma-sim/Commands.h"
#include "tools/orma-sim/SimOptions.h"

#include <cstdio>

int RunSend(const QStringList& args)
{
    CSimOptions options("send",
                        "Sends one remote command and prints the reply status (0, or -1 when "
                        "points are expected but the pattern no longer exists).\n"
                        "Codes: 1 NEWIMAGE (P1..P6 = X begin, end, increment, Y begin, end, "
                        "increment), 2 LOADIMAGE and 3 SAVEIMAGE (--text path), 4 NEWPOINT (P1 "
                        "X, P2 Y, --int intensity), 5 CHECKPIPE, 6 COLLECTING (P1 X, P2 Y), 7 "
                        "ENDCOLLECT, 8 measurement parameters, 9 background parameters.\n"
                        "Options come before the code: orma-sim send --int 77 4 1.5 -2.0");
    options.parser.addPositionalArgument("code", "The command code.");
    options.parser.addPositionalArgument("params", "Up to six numbers: param1 to param6.",
                                         "[P1 ... P6]");
    options.parser.addOption({"int", "The integer field (intParam).", "n", "0"});
    // Options come before the code, so negative numbers after it are not taken for options.
    options.parser.setOptionsAfterPositionalArgumentsMode(
        QCommandLineParser::ParseAsPositionalArguments);
    options.parser.addOption({"text", "The text field (at most 255 characters).", "text"});
    if (const int parsed = options.Parse(args); parsed != kExitOk)
        return parsed < 0 ? kExitOk : parsed;

    const QStringList positional = options.parser.positionalArguments();
    PipeMessage request;
    int code = 0;
    if (positional.isEmpty() || positional.size() > 7 || !ParseInt(positional[0], code)) {
        SimError("send takes a whole-number code and up to six numbers");
        return kExitUsage;
    }
    request.code = code;
    float* params[6] = {&request.param1, &request.param2, &request.param3,
                        &request.param4, &request.param5, &request.param6};
    for (int i = 1; i < positional.size(); ++i) {
        if (!ParseFloat(positional[i], *params[i - 1])) {
            const std::string text = positional[i].toStdString();
            SimError("'" + text + "' is not a number");
            return kExitUsage;
        }
    }
    int intParam = 0;
    if (!ParseInt(options.parser.value("int"), intParam)) {
        SimError("--int needs a whole number");
        return kExitUsage;
    }
    request.intParam = intParam;
    const QByteArray text = options.parser.value("text").toLocal8Bit();
    if (text.size() > 255) {
        SimError("--text is longer than the 255 characters a message carries");
        return kExitUsage;
    }
    SetPipeText(request, text.constData());

    CStopSignal stop;
    CSimLink link(stop);
    if (const int exit = options.OpenLink(link); exit != kExitOk)
        return exit;
    std::int32_t status = 0;
    if (!link.Exchange(request, status))
        return link.lastWasStop ? kExitInterrupted : kExitLink;
    std::printf("reply status: %s\n", FormatInt(status).c_str());
    return kExitOk;
}
