#pragma once

#include <juce_core/juce_core.h>

/** Unpacks the converter carried in the program's "zip" resource 101 into the converter folder
    (platform::getConverterFile), replacing an older copy atomically.

    Returns false when the program has no such resource, or when no usable converter of ours
    stands at the converter path afterwards.
*/
bool unpackConverter();

/** unpackConverter, telling why it failed: the converter folder's problem, in the user's
    language, or what went wrong with the unpacking itself.
*/
juce::Result unpackConverterWithReason();

/** The same, from given archive bytes into the given program file; for unpackConverter and tests. */
juce::Result unpackConverterArchive (const void* archiveData, size_t archiveSize, const juce::File& target);
