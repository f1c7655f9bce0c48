#pragma once
// The per-disc title lists: a disc's titles are kept in the program folder's "CDs" folder, in a file
// named by the disc's volume serial number.
#include <QString>

class Dabs {
public:
    // The volume serial number of the disc in drive `Drv` (a drive root such as "D:\" or the drive's
    // root folder) as signed 32-bit decimal text: serial FFFFFFFE gives "-2". "0" when there is no disc,
    // no such drive or no ISO 9660 volume on it.
    static QString GetDabs(const QString& Drv);
};
