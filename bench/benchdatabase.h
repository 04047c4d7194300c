#pragma once

#include "firm/firmgenerator.h"

#include <QString>

#include <optional>

namespace velmora::bench {

// The file of a firm generated with `options` in `folder`. A file that an earlier run
// generated with the same generator version, size and seed is used as it is; otherwise
// the firm is generated first, its work up to today (progress on standard error at a
// terminal). nullopt with the reason in *error.
std::optional<QString> generatedFirm(const QString& folder, firm::FirmOptions options,
                                     QString* error);

} // namespace velmora::bench
