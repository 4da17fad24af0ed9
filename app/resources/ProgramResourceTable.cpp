#include "platform/Resources.h"

#include <MeltrowResources.h>

namespace platform
{

ResourceTable programResourceTable() noexcept
{
    static const ResourceEntry entries[] = {
        { "ZIP", 101, MeltrowResources::ffmpeg_zip, MeltrowResources::ffmpeg_zipSize },
    };

    return { entries, (int) (sizeof (entries) / sizeof (entries[0])) };
}

} // namespace platform
