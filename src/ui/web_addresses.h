#pragma once
// The web addresses the two programs use, in one place.

namespace web_addresses {

// Host of the update server; the archive of the next version is fetched from
// http://UpdateHost/update/volmender<next version>.rar at start-up.
inline constexpr const char* UpdateHost = "update.example.com";
// The maker's home page: the embedded browser and the home-page button.
inline constexpr const char* HomePage = "http://www.example.com/volmender/";
// The online data-recovery service page (both programs).
inline constexpr const char* RecoveryService = "http://www.example.com/volmender/recovery/";
// The FAT32-only program's "about" and author buttons.
inline constexpr const char* CompanySite = "http://www.example.com/";
inline constexpr const char* AuthorSite = "http://author.example.com/";

}  // namespace web_addresses
