// The small pure decisions about one photo file: the member id made safe as
// part of a file name, the file names, whether a body is image data and
// whether it was cut short. Every routine is total: any bytes in, a defined
// answer out, no platform call.
#pragma once

#include <optional>

#include "text/Text.h"

namespace velmora {

// The member id from a web page, made safe as the start of a file name inside
// the chosen folder. Walking by GBK characters (a lead byte 81-FE with a trail
// byte 40-FE other than 7F), every character Windows forbids in a file name
// (\ / : * ? " < > | and bytes below 20) becomes "_", and so does a byte of 80
// or above that does not start such a pair. Trailing dots and spaces are
// dropped. When the part before the first dot names a device (CON, PRN, AUX,
// NUL, COM0-9, LPT0-9), a "_" follows that name, since "CON.x_1.jpg" would
// still open the device. An ordinary id (digits, letters) comes back as it is;
// an empty result is absent.
Text SafeMemberId(const Text& memberId);

// folder + "\" + memberId + "_" + photoNumber + ".jpg", the folder text taken
// as it is (an empty folder gives the root of the current drive, a folder
// ending in "\" gives two in a row).
Text PhotoFileName(const Text& folder, const Text& memberId, int photoNumber);

// The name a worker writes a photo under before it is complete, in the same
// folder: "~" + thread id in hex + ".part". Short, so a photo whose own name
// fits the path limit does not fail for its temporary name; never ends in
// ".jpg"; differs between two workers.
Text TemporaryFileName(const Text& folder, unsigned threadId);

// True when the body starts with the signature of an image format a photo
// server sends: JPEG FF D8 FF, PNG 89 50 4E 47, GIF "GIF8", BMP "BM", WebP
// "RIFF" with "WEBP" at offset 8, AVIF/HEIF "ftyp" at offset 4. An empty body
// or an HTML error page is not image data.
bool IsImageData(const ByteSet& body);

// The Content-Length of the last response in a raw header block: the header
// name matched without regard to case, name and value trimmed of spaces and
// tabs. When the block holds status lines ("HTTP/..."), only the lines after
// the last one count, so the headers of a followed redirect do not. No value,
// a value that is not a plain decimal number, or lines that disagree give
// nullopt (no announcement). Values beyond any body size are capped.
std::optional<long long> AnnouncedLength(const Text& responseHeaders);

// True when the response announced a length and the body is shorter: the
// connection broke in the middle of the photo.
bool IsCutShort(const ByteSet& body, const Text& responseHeaders);

}  // namespace velmora
