#include "tools/zemtool/usage_text.h"

namespace zemtool {

const char* const kToolUsage =
    "Usage: zemtool COMMAND [OPTIONS] FILE\n"
    "\n"
    "Shows and edits ZEM audio streams (.zem, .qrb) and image link files (.zlk), and\n"
    "builds link files from cue sheets.\n"
    "\n"
    "Commands:\n"
    "  info FILE         show what the stream header and the decoder tell about FILE\n"
    "  info --json FILE  the same as one JSON object\n"
    "  tag FILE          list the tag fields at the end of FILE, one NAME=VALUE a line\n"
    "  tag FILE OPTIONS  change the tag (see 'zemtool tag --help')\n"
    "  links CUE [--template T]\n"
    "                    write one .zlk link file per track of the cue sheet CUE\n"
    "  encode IN.wav OUT.zem   compress a PCM wave file (see 'zemtool encode --help')\n"
    "  decode IN OUT.wav       decode a stream or a link file's track to a wave file\n"
    "  verify FILE...          decode everything and report each frame that fails its check\n"
    "\n"
    "Options:\n"
    "  -h, --help        show this help; 'zemtool COMMAND --help' explains a command\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be opened, read or written,\n"
    "2 when the command line is wrong. Failures are reported on standard error as\n"
    "the library's error name and a one-line reason.\n";

const char* const kInfoUsage =
    "Usage: zemtool info [--json] FILE\n"
    "\n"
    "Opens FILE (.zem, .qrb or .zlk) the way a player would, through the decoder,\n"
    "and prints the stream's format, length, bitrates and wave header sizes. For a\n"
    ".zlk link file it also prints the image it names and the track's block range;\n"
    "the wave header and trailer sizes are then those of the track.\n"
    "\n"
    "Options:\n"
    "  --json      print one JSON object whose keys are the query names (Version,\n"
    "              CompressionLevel, SampleRate, ..., TotalBlocks, LengthMs, ...);\n"
    "              a link file adds ImagePath, StartBlock and FinishBlock\n"
    "  -h, --help  show this help\n";

const char* const kTagUsage =
    "Usage: zemtool tag FILE [--set NAME=VALUE]... [--delete NAME]... [--remove] [--id3v1]\n"
    "\n"
    "Without options, lists the tag fields at the end of FILE (any file: .zem, .qrb,\n"
    ".zlk), one NAME=VALUE a line. Text values are printed as UTF-8, with control\n"
    "characters shown as \\n, \\r, \\t or \\xHH; binary values are printed as \"[hex]\"\n"
    "followed by their bytes in hexadecimal.\n"
    "\n"
    "A ZEM tag followed by an ID3v1 record is listed as the ZEM tag's fields, then\n"
    "a line \"[ID3v1]\" and the record's fields; edits change both and keep both.\n"
    "Tags that cannot be read back whole, or that would reach into the audio, are\n"
    "not rewritten, and a failed write puts the old tag back: FILE then stays as\n"
    "it was.\n"
    "\n"
    "Options, applied in the order given; the tag is then written once:\n"
    "  --set NAME=VALUE  set a text field (VALUE is UTF-8); an empty VALUE deletes\n"
    "                    the field. NAME is printable ASCII without '='\n"
    "  --delete NAME     delete a field; fails when there is none\n"
    "  --remove          delete every field; used alone it strips all tags from FILE\n"
    "  --id3v1           write a 128-byte ID3v1 record instead of a ZEM tag; only\n"
    "                    Title, Artist, Album, Year, Comment, Track and Genre fit\n"
    "                    (a file with both keeps both)\n"
    "  -h, --help        show this help\n";

const char* const kLinksUsage =
    "Usage: zemtool links CUE [--template T]\n"
    "\n"
    "Writes one ZLK link file per audio track of the cue sheet CUE into the cue\n"
    "sheet's folder, exactly as Tessarine does, and lists the files it wrote, one a\n"
    "line. An existing file of the same name is replaced. Block numbers count at\n"
    "the image's own sample rate (44100 when the image is no ZEM stream).\n"
    "\n"
    "Options:\n"
    "  --template T  the file naming template (default\n"
    "                \"ARTIST - ALBUM - TRACK# - TITLE\"): ARTIST, ALBUM, TITLE and\n"
    "                TRACK# become the track's values; ? \" \\ / < > * | : become -\n"
    "  -h, --help    show this help\n"
    "\n"
    "Fails (exit 1) when the cue sheet cannot be opened, lists no TRACK 01 AUDIO,\n"
    "or a link file cannot be created.\n";

const char* const kEncodeUsage =
    "Usage: zemtool encode [OPTIONS] IN.wav OUT.zem\n"
    "\n"
    "Compresses a RIFF/WAVE file of PCM audio (1 or 2 channels, 8, 16 or 24 bits)\n"
    "into a ZEM stream of version 3990. Every byte of the wave file comes back\n"
    "from 'zemtool decode': its header chunks, the audio and any bytes behind it.\n"
    "The stream is written under a temporary name beside OUT.zem (removed when\n"
    "encoding fails or is interrupted) and renamed when complete; OUT.zem may not\n"
    "be IN.wav. '-' reads standard input or writes standard output.\n"
    "\n"
    "Options:\n"
    "  --level N         1000 (fastest) to 5000 (smallest); default 2000\n"
    "  --frame-blocks N  blocks per frame; default 294912\n"
    "  -q, --quiet       no progress bar (there is none unless standard error is a terminal)\n"
    "  -h, --help        show this help\n";

const char* const kDecodeUsage =
    "Usage: zemtool decode [OPTIONS] IN OUT.wav\n"
    "\n"
    "Decodes IN (.zem, .qrb, or a .zlk link file for one track of an image) to a\n"
    "wave file: the stream's own wave header, the audio and the bytes stored\n"
    "behind it; for a link file a 44-byte header and the track's audio. '-' reads\n"
    "standard input or writes standard output. A frame that fails its check is\n"
    "reported and written as fill (silence); the exit status is then 1. OUT.wav\n"
    "appears only when complete, as for encode; a device or FIFO is written\n"
    "straight.\n"
    "\n"
    "Options:\n"
    "  --threads N  decode on N threads (default: one per core); the output is\n"
    "               the same for any N\n"
    "  -q, --quiet  no progress bar\n"
    "  -h, --help   show this help\n";

const char* const kVerifyUsage =
    "Usage: zemtool verify [OPTIONS] FILE...\n"
    "\n"
    "Decodes each FILE completely and reports every frame that fails its check.\n"
    "Prints 'FILE: ok, N blocks' for a file without failures. Exit status 1 when\n"
    "any frame failed or a file could not be read.\n"
    "\n"
    "Options:\n"
    "  --threads N  decode on N threads (default: one per core)\n"
    "  -q, --quiet  no progress bar\n"
    "  -h, --help   show this help\n";

}  // namespace zemtool
