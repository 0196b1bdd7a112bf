// Sending every NC file of a folder to the machine, one after another.
#pragma once

#include <string>
#include <vector>

struct TextLine;

// The types the page's "Send a Folder" button sends (packed three-letter codes, a blank ends a
// shorter code): EIA, NC (and NCx), NCC, TAP, TXT, PLT, CAM, TKR.
constexpr char FOLDER_SEND_TYPES[] = "EIANC NCCTAPTXTPLTCAMTKR";

// The files of `folder` (ending with '/') a folder send takes, as full paths sorted by name: a
// file whose extension is among the include codes, or, with an exclude list, one whose extension
// is not among those. Folders and files without an extension that no rule takes are left out.
std::vector<std::string> folder_files_to_send(const std::string& folder, const char* include,
                                              const char* exclude);

// Sends the chosen files of the folder with the protocol, stopping at the first that fails.
// 0 all sent; -1 a send failed or was refused (the user was told); 1 nothing to send.
int send_folder_files(TextLine* protocol, const std::string& folder, const char* include,
                      const char* exclude);
