// Feeds arbitrary bytes to the report file parser. Besides not crashing,
// hanging or allocating without bound, a file that loads must write back to
// bytes that load to the same report, and writing is stable.
#include "core/store/ReportFile.h"
#include "core/store/ReportParser.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ParsedReport first = ReportParser::parse(bytes, QStringLiteral("fuzz.rpt"));
    if (!first.ok()) {
        if (first.errorMessage.isEmpty() || first.errorLine <= 0)
            std::abort();
        return 0;
    }
    const std::optional<ReportFileContent> content = first.content();
    if (!content)
        return 0;
    // A zero character in a field name or header is refused by the wizard's
    // loader (the working table cannot store one), and so by the writer.
    bool zero = false;
    for (const ReportFileField& f : content->fields)
        zero = zero || f.field.contains(QChar(0)) || f.header.contains(QChar(0));
    const std::optional<QByteArray> written = ReportFile::encode(*content);
    if (zero) {
        if (written)
            std::abort();
        return 0;
    }
    if (!written)
        std::abort(); // whatever the loader takes can be written
    const ParsedReport second = ReportParser::parse(*written, QStringLiteral("fuzz.rpt"));
    if (!second.ok() || second.content() != content)
        std::abort();
    if (ReportFile::encode(*second.content()) != written)
        std::abort();
    return 0;
}
