#include "ConverterUnpacker.h"

#include "platform/Resources.h"
#include "platform/TempFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr size_t copyBlockSize = 1 << 20;

// Unpacking takes seconds; a partial file untouched for this long belongs to a program that
// died while unpacking, while one that another instance is writing now stays.
const auto stalePartialAge = juce::RelativeTime::minutes (10);

juce::String getPartialFilePattern (const juce::File& target)
{
    return "." + target.getFileName() + "-*.part";
}

void removeStalePartialFiles (const juce::File& target)
{
    const auto staleBefore = juce::Time::getCurrentTime() - stalePartialAge;

    for (const auto& partial : target.getParentDirectory().findChildFiles (juce::File::findFiles, false, getPartialFilePattern (target)))
        if (partial.getLastModificationTime() < staleBefore)
            partial.deleteFile();
}

const juce::ZipFile::ZipEntry* findProgramEntry (const juce::ZipFile& archive, const juce::String& name)
{
    if (const auto* entry = archive.getEntry (name))
        return entry;

    // The archive holds the one program, whatever the platform calls it.
    return archive.getNumEntries() == 1 ? archive.getEntry (0) : nullptr;
}

juce::Result writeEntry (juce::ZipFile& archive, const juce::ZipFile::ZipEntry& entry, const juce::File& destination)
{
    std::unique_ptr<juce::InputStream> input (archive.createStreamForEntry (entry));

    if (input == nullptr)
        return juce::Result::fail ("the archive entry cannot be read");

    juce::FileOutputStream output (destination);

    if (output.failedToOpen())
        return juce::Result::fail ("cannot write " + destination.getFullPathName() + ": " + output.getStatus().getErrorMessage());

    juce::HeapBlock<char> block (copyBlockSize);
    juce::int64 total = 0;

    for (;;)
    {
        const auto numRead = input->read (block, (int) copyBlockSize);

        if (numRead <= 0)
            break;

        if (! output.write (block, (size_t) numRead))
            return juce::Result::fail ("cannot write " + destination.getFullPathName() + ": " + output.getStatus().getErrorMessage());

        total += numRead;
    }

    output.flush();

    if (output.getStatus().failed())
        return juce::Result::fail ("cannot write " + destination.getFullPathName() + ": " + output.getStatus().getErrorMessage());

    if (total != entry.uncompressedSize)
        return juce::Result::fail ("the archive entry is damaged");

    return juce::Result::ok();
}

/** True when the file holds exactly the entry's bytes. */
bool holdsEntry (juce::ZipFile& archive, const juce::ZipFile::ZipEntry& entry, const juce::File& file)
{
    if (! file.existsAsFile() || file.getSize() != entry.uncompressedSize)
        return false;

    std::unique_ptr<juce::InputStream> expected (archive.createStreamForEntry (entry));
    juce::FileInputStream actual (file);

    if (expected == nullptr || actual.failedToOpen())
        return false;

    juce::HeapBlock<char> expectedBlock (copyBlockSize), actualBlock (copyBlockSize);

    for (;;)
    {
        const auto numExpected = expected->read (expectedBlock, (int) copyBlockSize);

        if (numExpected <= 0)
            return actual.isExhausted();

        if (actual.read (actualBlock, numExpected) != numExpected
            || std::memcmp (expectedBlock, actualBlock, (size_t) numExpected) != 0)
            return false;
    }
}
} // namespace

juce::Result unpackConverterArchive (const void* archiveData, size_t archiveSize, const juce::File& target)
{
    if (archiveData == nullptr || archiveSize == 0)
        return juce::Result::fail ("there is no converter archive");

    if (target == juce::File())
        return juce::Result::fail ("there is no folder for the converter");

    juce::MemoryInputStream archiveStream (archiveData, archiveSize, false);
    juce::ZipFile archive (archiveStream);
    const auto* entry = findProgramEntry (archive, target.getFileName());

    if (entry == nullptr)
        return juce::Result::fail ("the archive holds no converter");

    removeStalePartialFiles (target);

    // Written under a name of its own and renamed into place in one step, so that another
    // instance starting the converter meanwhile runs either the old copy or the new one.
    const auto partial = target.getSiblingFile (getPartialFilePattern (target).replace ("*", juce::Uuid().toString()));
    auto result = writeEntry (archive, *entry, partial);

    if (result.wasOk() && ::chmod (partial.getFullPathName().toRawUTF8(), 0755) != 0)
        result = juce::Result::fail ("cannot make " + partial.getFullPathName() + " executable: " + juce::String (std::strerror (errno)));

    if (result.wasOk() && std::rename (partial.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0)
        result = juce::Result::fail ("cannot replace " + target.getFullPathName() + ": " + juce::String (std::strerror (errno)));

    if (result.wasOk())
        return result;

    partial.deleteFile();

    // A copy that cannot be replaced still serves when it is ours.
    if (holdsEntry (archive, *entry, target) && ::access (target.getFullPathName().toRawUTF8(), X_OK) == 0)
        return juce::Result::ok();

    return result;
}

juce::Result unpackConverterWithReason()
{
    const auto failed = [] (const juce::String& reason)
    { return juce::Result::fail (juce::translate ("the converter could not be unpacked:") + " " + reason); };

    const auto resource = platform::findResource ("zip", 101);

    if (resource.data == nullptr || resource.size <= 0)
        return failed ("there is no converter archive");

    if (const auto folder = platform::getConverterFolder(); ! folder.isUsable())
        return juce::Result::fail (folder.problem);

    if (const auto result = unpackConverterArchive (resource.data, (size_t) resource.size, platform::getConverterFile()); result.failed())
        return failed (result.getErrorMessage());

    return juce::Result::ok();
}

bool unpackConverter()
{
    const auto result = unpackConverterWithReason();

    if (result.failed())
    {
        DBG ("The converter could not be unpacked: " << result.getErrorMessage());
    }

    return result.wasOk();
}
