#include "platform/Resources.h"

#include <MeltrowConverter.h>

namespace platform
{

ResourceTable programResourceTable() noexcept
{
    static const ResourceEntry entries[] = {
        { "ZIP", 101, MeltrowConverter::ffmpeg_zip, MeltrowConverter::ffmpeg_zipSize },
    };

    return { entries, (int) (sizeof (entries) / sizeof (entries[0])) };
}

} // namespace platform
