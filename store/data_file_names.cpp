#include "store/data_file_names.h"

QStringList dataFileNames()
{
    QStringList names;
    for (const DataFile &file : DataFiles)
        names << file.fileName();
    return names;
}
