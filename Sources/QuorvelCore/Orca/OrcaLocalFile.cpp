#include "Orca/OrcaLocalFile.h"

#include "Support/BoundedReader.h"
#include "Support/FileChecks.h"

namespace quorvel::OrcaLocalFile {

void validate(const std::filesystem::path& path, std::uint64_t limit) {
    FileChecks::requireRegularFile(path, limit);
}

void validate(const FileInfo& info, std::uint64_t limit) {
    FileChecks::requireRegularFile(info, limit);
}

std::string tail(const std::filesystem::path& path, std::uint64_t limit) {
    validate(path, tailFileLimit);
    const BoundedReader reader{
        .headLimit = 0, .tailLimit = limit, .noLineFeed = BoundedReader::NoLineFeed::keepWhole};
    return reader.read(path);
}

} // namespace quorvel::OrcaLocalFile
