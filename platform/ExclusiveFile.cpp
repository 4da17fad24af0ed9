#include "platform/ExclusiveFile.h"

#include "platform/FileDescriptor.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace platform
{

namespace
{
constexpr int commonNameLimit = 255;
constexpr int randomLetters = 8;
constexpr int attempts = 100;

juce::String randomPart()
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::array<unsigned char, randomLetters> bytes {};

    if (::getrandom (bytes.data(), bytes.size(), 0) != (ssize_t) bytes.size())
    {
        juce::Random random;

        for (auto& byte : bytes)
            byte = (unsigned char) random.nextInt (256);
    }

    juce::String text (".");

    for (auto byte : bytes)
        text << letters[byte % (sizeof (letters) - 1)];

    return text;
}
} // namespace

int getFileNameLimit (const juce::File& folder)
{
    const auto limit = ::pathconf (folder.getFullPathName().toRawUTF8(), _PC_NAME_MAX);
    return limit > 0 ? (int) juce::jmin (limit, (long) 4096) : commonNameLimit;
}

juce::String fitFileName (const juce::String& stem, const juce::String& suffix, int limitBytes)
{
    auto bytesLeft = limitBytes - (int) suffix.getNumBytesAsUTF8();

    if ((int) stem.getNumBytesAsUTF8() <= bytesLeft)
        return stem + suffix;

    juce::String cut;

    for (auto letter = stem.getCharPointer(); ! letter.isEmpty(); ++letter)
    {
        const auto letterBytes = (int) juce::CharPointer_UTF8::getBytesRequiredFor (*letter);

        if (letterBytes > bytesLeft)
            break;

        cut << juce::String::charToString (*letter);
        bytesLeft -= letterBytes;
    }

    return cut + suffix;
}

NewFile createExclusiveFile (const juce::File& folder, const juce::String& stem, const juce::String& suffix)
{
    auto nameLimit = getFileNameLimit (folder);
    auto error = EEXIST;

    for (int attempt = 0; attempt < attempts; ++attempt)
    {
        // The plain name first; once it is taken, a name nobody else can have guessed.
        const auto extra = attempt == 0 ? juce::String() : randomPart();
        const auto name = fitFileName (stem, extra + suffix, nameLimit);
        const auto file = folder.getChildFile (name);

        FileDescriptor made (::open (file.getFullPathName().toRawUTF8(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));

        if (made.isValid())
        {
            if (::close (made.release()) != 0)
            {
                error = errno;
                ::unlink (file.getFullPathName().toRawUTF8());
                return { {}, error };
            }

            return { file, 0 };
        }

        error = errno;

        // Some file systems take fewer bytes than they say (an encrypted home folder): shorter.
        if (error == ENAMETOOLONG && nameLimit > 32)
        {
            nameLimit = nameLimit * 2 / 3;
            --attempt;
            continue;
        }

        if (error != EEXIST)
            break;
    }

    return { {}, error };
}

} // namespace platform
