// Any arguments are either parsed or refused, never crash the parser, and the inputs parsed
// come from the arguments in command-line order (as a whole, or after "--name=").

#include "cli/CommandLine.h"
#include "FuzzInput.h"

using namespace tagmill;
using namespace tagmill::cli;
using namespace tagmill::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList arguments;
    for (const QByteArray& argument : bytes.split('\0'))
        arguments.append(QString::fromUtf8(argument));
    const std::optional<CommandLine> line = parseCommandLine(arguments);
    if (line) {
        expect(line->sources.size() <= arguments.size(), "no input that was not given");
        qsizetype at = 0;
        for (const Source& source : line->sources) {
            while (at < arguments.size() && !arguments[at].endsWith(source.text))
                ++at;
            expect(at < arguments.size(), "every input comes from the arguments, in order");
            ++at;
        }
    }
    return 0;
}
