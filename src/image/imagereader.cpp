#include "image/imagereader.h"

#include "image/readers.h"

#include <blkid/blkid.h>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace zt {

namespace fs = std::filesystem;

namespace {

std::string probeValue(blkid_probe pr, const char* name) {
    const char* data = nullptr;
    size_t len = 0;
    if (blkid_probe_lookup_value(pr, name, &data, &len) != 0 || !data) return {};
    // The length counts the terminating NUL.
    return std::string(data, strnlen(data, len));
}

// libblkid gives an ISO 9660 volume's date as its UUID, "YYYY-MM-DD-hh-mm-ss-cc"
// (the time the volume was last written, else made, without its zone).
FileTime isoDateOfUuid(const std::string& uuid) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(uuid.c_str(), "%4d-%2d-%2d-%2d-%2d-%2d", &y, &mo, &d, &h, &mi, &s) != 6 ||
        y < 1970 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
        return {};
    // Days from 1970 by the civil calendar (no time zone is known: taken as UTC).
    const int yy = y - (mo <= 2);
    const int era = yy / 400;
    const int yoe = yy - era * 400;
    const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = int64_t(era) * 146097 + doe - 719468;
    return fileTimeFromUnix(days * 86400 + h * 3600 + mi * 60 + s);
}

struct ProbedFacts {
    std::string type, version, label, uuid;
};

// What libblkid tells of the volume, looking only for the given type.
ProbedFacts probe(const RandomAccessFile& file, const char* type) {
    ProbedFacts out;
    blkid_probe pr = blkid_new_probe();
    if (!pr) return out;
    if (blkid_probe_set_device(pr, file.descriptor(), 0, 0) == 0) {
        blkid_probe_enable_superblocks(pr, 1);
        blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL |
                                                  BLKID_SUBLKS_VERSION | BLKID_SUBLKS_UUID);
        char* only[] = {const_cast<char*>(type), nullptr};
        blkid_probe_filter_superblocks_type(pr, BLKID_FLTR_ONLYIN, only);
        if (blkid_do_probe(pr) == 0) {
            out.type = probeValue(pr, "TYPE");
            out.version = probeValue(pr, "VERSION");
            out.label = probeValue(pr, "LABEL");
            out.uuid = probeValue(pr, "UUID");
        }
    }
    blkid_free_probe(pr);
    return out;
}

} // namespace

uint64_t imageEntryBudget(uint64_t imageSize) {
    return imageSize / 32 + 64;
}

bool isImageSource(const fs::path& path) {
    std::error_code ec;
    const auto st = fs::status(path, ec);
    return !ec && (st.type() == fs::file_type::regular || st.type() == fs::file_type::block);
}

OpenedImage openImage(std::shared_ptr<RandomAccessFile> file) {
    OpenedImage out;
    const auto size = file->fileOrDeviceSize();
    if (!size) {
        out.status = ImageOpenStatus::NotAnImage;
        return out;
    }
    ImageVolume volume;
    volume.imageSize = *size;
    // A hybrid disc's ISO 9660 side still dates it when the UDF side does not.
    const ProbedFacts iso = probe(*file, "iso9660");
    volume.created = isoDateOfUuid(iso.uuid);
    // libudfread is only asked once libblkid found UDF's descriptors: it tells
    // of every image that is not UDF on standard error.
    const ProbedFacts udfFacts = probe(*file, "udf");
    std::unique_ptr<FileSystemReader> udf;
    if (udfFacts.type == "udf") udf = openUdfImage(file, volume);
    if (udf) {
        udf->setFacts(udfFacts.version.empty() ? "UDF" : "UDF " + udfFacts.version,
                      udfFacts.label.empty() ? iso.label : udfFacts.label);
        out.reader = std::move(udf);
    } else if (auto isoReader = openIsoImage(file, volume, iso.version == "Joliet Extension")) {
        isoReader->setFacts({}, iso.label);
        out.reader = std::move(isoReader);
    } else {
        out.status = ImageOpenStatus::NotAnImage;
        return out;
    }
    out.status = ImageOpenStatus::Opened;
    return out;
}

OpenedImage openImage(const fs::path& path) {
    auto file = std::make_shared<RandomAccessFile>(path);
    if (!file->ok()) {
        OpenedImage out;
        out.error = std::strerror(errno);
        return out;
    }
    return openImage(std::move(file));
}

} // namespace zt
