// Tables of contents of audio discs, through libcdio.
#include "platform/drives/drives.h"

#include "platform/cdiolock.h"

#include <QFile>

#include <cdio/cdio.h>
#include <cdio/logging.h>

namespace Drives {
namespace {

// libcdio writes a warning to the terminal for every driver that cannot open a name; an empty drive or a
// missing image is no news here.
void quiet(cdio_log_level_t, const char*) {}

}  // namespace

std::optional<Toc> readToc(const QString& deviceOrImage)
{
    if (deviceOrImage.isEmpty() || !QFile::exists(deviceOrImage))
        return std::nullopt;
    const std::lock_guard lock(cdioLock());
    static const bool quieted = (cdio_log_set_handler(quiet), true);
    (void)quieted;
    CdIo_t* cd = cdio_open(QFile::encodeName(deviceOrImage).constData(), DRIVER_UNKNOWN);
    if (!cd)
        return std::nullopt;
    Toc toc;
    const track_t first = cdio_get_first_track_num(cd);
    const track_t count = cdio_get_num_tracks(cd);
    bool ok = first != CDIO_INVALID_TRACK && count != CDIO_INVALID_TRACK && count > 0;
    if (ok) {
        toc.firstTrack = first;
        for (int t = first; ok && t < first + count; ++t) {
            const lsn_t lsn = cdio_get_track_lsn(cd, track_t(t));
            ok = lsn != CDIO_INVALID_LSN;
            toc.starts.append(int(lsn) + CDIO_PREGAP_SECTORS);
        }
        const lsn_t end = cdio_get_track_lsn(cd, CDIO_CDROM_LEADOUT_TRACK);
        ok = ok && end != CDIO_INVALID_LSN;
        toc.leadOut = int(end) + CDIO_PREGAP_SECTORS;
    }
    cdio_destroy(cd);
    if (!ok)
        return std::nullopt;
    return toc;
}

quint32 serialOfToc(const Toc& toc)
{
    quint32 serial = 0;
    for (const int frames : toc.starts) {
        const quint32 m = quint32(frames / (60 * 75)), s = quint32(frames / 75 % 60), f = quint32(frames % 75);
        serial += (m << 16) | (s << 8) | f;
    }
    if (toc.trackCount() < 3 && !toc.starts.isEmpty())
        serial += quint32(toc.leadOut - toc.starts.first());
    return serial;
}

}  // namespace Drives
