#pragma once

#include <QLocale>
#include <QStringList>

#include <vector>

namespace sonvara {

class CRunService;

// The place of each text in the case-insensitive order of `locale` (the order QCollator gives
// with case sensitivity off): texts that compare equal share a rank, a lower rank sorts first,
// ranks run from 0 without gaps. The collation keys of a long list are made in parts on the run
// service's threads (without one, on the calling thread) into one block and sorted by their
// first bytes, so that a hundred thousand texts rank in a fraction of a second.
std::vector<long long> CollationRanks(const QStringList& texts, const QLocale& locale,
                                      CRunService* runs = nullptr);

}  // namespace sonvara
