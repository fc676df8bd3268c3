// The command-line options on any argument vector: the bytes are split at NUL into arguments.
// Parsing never fails but with a one-line error, a run that plays or renders names its song,
// and the options written out again in their plain form ("--play SONG", "-o OUT",
// "--output KIND") parse to the same request, as does the long options' "--opt=value" form.

#include "FuzzCheck.h"
#include "app/CommandLine.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

CommandLine parseArgs(const QList<QByteArray>& args) {
    std::vector<QByteArray> storage{QByteArrayLiteral("z1rpw3rk")};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (QByteArray& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return CommandLine::parse(int(storage.size()), argv.data());
}

bool same(const CommandLine& a, const CommandLine& b) {
    return a.action == b.action && a.song == b.song && a.outFile == b.outFile &&
           a.output == b.output && a.error == b.error;
}

/// The request written out in its plain form, or nothing for errors.
std::optional<QList<QByteArray>> plainForm(const CommandLine& line) {
    using Action = CommandLine::Action;
    QList<QByteArray> args;
    switch (line.action) {
    case Action::Error:
        return std::nullopt;
    case Action::Help:
        return QList<QByteArray>{"--help"};
    case Action::Version:
        return QList<QByteArray>{"--version"};
    case Action::Window:
        if (!line.song.isEmpty())
            args << line.song.toUtf8();
        break;
    case Action::Play:
        args << "--play" << line.song.toUtf8();
        break;
    case Action::Render:
        args << "--render" << line.song.toUtf8() << "-o" << line.outFile.toUtf8();
        break;
    }
    if (!line.output.isEmpty())
        args << "--output" << line.output.toUtf8();
    return args;
}

/// The same arguments with each option and its value joined as "--opt=value" ("-o" as "--out").
QList<QByteArray> joinedForm(const QList<QByteArray>& args) {
    static const QList<QByteArray> withValue{"--play", "--render", "-o", "--output"};
    QList<QByteArray> joined;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (withValue.contains(args[i]) && i + 1 < args.size()) {
            joined << (args[i] == "-o" ? QByteArray("--out") : args[i]) + '=' + args[i + 1];
            ++i;
        } else {
            joined << args[i];
        }
    }
    return joined;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> args = size == 0 ? QList<QByteArray>() : bytes.split('\0');
    const CommandLine line = parseArgs(args);
    using Action = CommandLine::Action;
    fuzzCheck((line.action == Action::Error) == !line.error.isEmpty(),
              "an error, and only an error, says what is wrong");
    fuzzCheck(!line.error.contains(QLatin1Char('\n')) && !line.error.contains(QLatin1Char('\r')),
              "an error is one line");
    if (line.action == Action::Play || line.action == Action::Render)
        fuzzCheck(!line.song.isEmpty(), "playing and rendering name a song");
    if (line.action == Action::Render)
        fuzzCheck(!line.outFile.isEmpty(), "rendering names its target");
    if (const auto plain = plainForm(line)) {
        fuzzCheck(same(parseArgs(*plain), line), "the plain form asks for the same");
        fuzzCheck(same(parseArgs(joinedForm(*plain)), line), "--opt=value asks for the same");
    }
    return 0;
}
