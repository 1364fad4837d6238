// peer_access.cpp: a folder's owner, group and mode judged for the user of a socket's peer.
#include "engine/server/peer_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace engine::server {
namespace {

// The groups `uid` belongs to: its primary group `gid` and those the group file gives it.
std::vector<gid_t> groupsOf(uid_t uid, gid_t gid) {
    std::vector<gid_t> groups{gid};
    std::vector<char> text(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, text.data(), text.size(), &found) != 0 || !found) return groups;
    int count = 64;
    std::vector<gid_t> listed(static_cast<size_t>(count));
    if (::getgrouplist(found->pw_name, found->pw_gid, listed.data(), &count) < 0) {
        listed.resize(static_cast<size_t>(count));
        if (::getgrouplist(found->pw_name, found->pw_gid, listed.data(), &count) < 0) return groups;
    }
    listed.resize(static_cast<size_t>(count));
    groups.insert(groups.end(), listed.begin(), listed.end());
    return groups;
}

}  // namespace

bool peerMayUseFolder(const PeerCredentials& peer, const std::string& folder, std::string* why) {
    if (!peer.known) {
        *why = "the server cannot tell which user this client runs as (TCP): connect through "
               "its Unix socket";
        return false;
    }
    if (peer.uid == 0 || peer.uid == ::geteuid()) return true;  // no rights beyond its own
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) {
        *why = "the folder cannot be examined";
        return false;
    }
    mode_t needed = S_IRUSR | S_IWUSR | S_IXUSR;
    if (st.st_uid != peer.uid) {
        const std::vector<gid_t> groups = groupsOf(peer.uid, peer.gid);
        const bool member = std::find(groups.begin(), groups.end(), st.st_gid) != groups.end();
        needed = member ? S_IRGRP | S_IWGRP | S_IXGRP : S_IROTH | S_IWOTH | S_IXOTH;
    }
    if ((st.st_mode & needed) == needed) return true;
    *why = "its user (uid " + std::to_string(peer.uid) + ") may not read and write the folder";
    return false;
}

}  // namespace engine::server
