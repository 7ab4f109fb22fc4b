// VQConfig: the per-user settings store of VessarQuilix, a text file kept where the
// desktop's conventions put it: $XDG_CONFIG_HOME/VessarQuilix/VessarQuilix.conf (by
// default ~/.config/...). A value missing there is looked up in the machine-wide file.
#pragma once

#include <wx/fileconf.h>
#include <wx/log.h>

// While the settings files are parsed, what the toolkit says about a damaged line (an
// assertion with a call stack, or a timestamped log message) is only noted: the program
// decides what to tell the user. A base of VQConfig, so that it is in place before the
// parsing in wxFileConfig's constructor and stops right after it.
class VQConfigParseWatch {
protected:
    VQConfigParseWatch();
    ~VQConfigParseWatch();
    // Ends the watch; true when the parser reported a problem.
    bool EndWatch();

private:
    class Log : public wxLog {
    public:
        bool problem = false;

    protected:
        void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo& info) override;
    };

    Log m_log;
    wxLog* m_previousLog = nullptr;
    wxAssertHandler_t m_previousAssertHandler = nullptr;
    bool m_watching = false;
};

class VQConfig : private VQConfigParseWatch, public wxFileConfig {
public:
    VQConfig();

    // The user's settings file this store reads and writes.
    static wxString LocalFilePath();

    // True when a settings file could not be read as it is (a line the parser cannot
    // take, or a file it cannot open): what it holds is not to be trusted.
    bool IsDamaged() const { return m_damaged; }

protected:
    // The settings directory is created on the first write, so that reading alone
    // leaves nothing behind.
    bool DoWriteString(const wxString& key, const wxString& value) override;
    bool DoWriteLong(const wxString& key, long value) override;

private:
    void EnsureDirectory();

    wxString m_localFile;
    bool m_damaged = false;
};
