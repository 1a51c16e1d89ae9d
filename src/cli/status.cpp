#include "cli/status.h"

#include "cli/output.h"

namespace zt::cli {

int statusOf(StockFailure f) {
    switch (f) {
    case StockFailure::None:
        return kOk;
    case StockFailure::NothingFound:
        return kNothingFound;
    case StockFailure::NoSuchStock:
    case StockFailure::NoSuchFolder:
    case StockFailure::NoSource:
        return kNotFound;
    case StockFailure::NameRefused:
    case StockFailure::NotAStock:
        return kRefused;
    case StockFailure::ListUnreadable:
    case StockFailure::CannotOpen:
    case StockFailure::CannotCreate:
    case StockFailure::DataBusy:
    case StockFailure::StockChanged:
    case StockFailure::Cancelled:
    case StockFailure::Unexpected:
        return kFileError;
    }
    return kFileError;
}

int report(const StockResult& r) {
    if (!r.message.empty()) printError(r.message, r.detail);
    return statusOf(r.failure);
}

} // namespace zt::cli
