#pragma once
// Image files of Photo fields, named relative to the Documents folder; a photo's thumbnail is
// the file "thumb" + its name. Failures go to the system log and the operation goes on.
#include <cstdint>
#include <set>
#include <string>

namespace DBInterface {

// "db<milliseconds counted from 29 December 2010 UTC><suffix>.jpg", unique per moment and suffix.
std::string stringForNewImageFileName(int suffix);

void deleteImageAndThumbnailFiles(const std::string& imageFile);
// Every name of the set that ends in ".jpg"; answers 0.
int deleteImageFilesFromSet(const std::set<std::string>& imageFiles);
// Moves the source image and its thumbnail onto the destination's.
void replaceImageAndThumbnailFiles(const std::string& destination, const std::string& source);
void copyImageAndThumbnailFiles(const std::string& source, const std::string& destination);
// The source pair is taken from the temporary folder.
void copyTmpImageAndThumbnailFiles(const std::string& source, const std::string& destination);

}  // namespace DBInterface
