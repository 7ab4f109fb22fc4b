// VQConfig: the per-user settings store of VessarQuilix, a text file kept where the
// desktop's conventions put it: $XDG_CONFIG_HOME/VessarQuilix/VessarQuilix.conf (by
// default ~/.config/...). A value missing there is looked up in the machine-wide file.
#pragma once

#include <wx/fileconf.h>

class VQConfig : public wxFileConfig {
public:
    VQConfig();

    // The user's settings file this store reads and writes.
    static wxString LocalFilePath();

protected:
    // The settings directory is created on the first write, so that reading alone
    // leaves nothing behind.
    bool DoWriteString(const wxString& key, const wxString& value) override;
    bool DoWriteLong(const wxString& key, long value) override;

private:
    void EnsureDirectory();

    wxString m_localFile;
};
