#include "WindowDriver.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/log.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <fstream>
#include <iterator>

namespace vqtest {

namespace {

void Send(wxWindow* source, wxEvent& event)
{
    event.SetEventObject(source);
    source->GetEventHandler()->ProcessEvent(event);
}

}  // namespace

std::vector<wxString> ObservedWindow::Outputs() const
{
    std::vector<wxString> texts;
    for (wxTextCtrl* text : m_outTexts)
        texts.push_back(text->GetValue());
    return texts;
}

std::vector<wxString> ObservedWindow::Items(wxChoice* choice) const
{
    std::vector<wxString> items;
    for (unsigned i = 0; i < choice->GetCount(); ++i)
        items.push_back(choice->GetString(i));
    return items;
}

VessarQuilixGUI::FileChoice ObservedWindow::AskForFile(const FileRequest& request)
{
    asked.push_back(request);
    if (answers.empty())
        return VessarQuilixGUI::AskForFile(request);
    const FileChoice answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

wxString ObservedWindow::AskForFolder(const wxString& title, const wxString& directory)
{
    askedFolders.push_back(directory);
    if (folderAnswers.empty())
        return VessarQuilixGUI::AskForFolder(title, directory);
    const wxString answer = folderAnswers.front();
    folderAnswers.erase(folderAnswers.begin());
    return answer;
}

int ObservedWindow::ShowMessage(const wxString& title, const wxString& message, long style,
                                const wxString& helpLabel)
{
    messages.push_back({title, message, style});
    if (realMessages)
        return VessarQuilixGUI::ShowMessage(title, message, style, helpLabel);
    if (messageAnswers.empty())
        return wxID_OK;
    const int answer = messageAnswers.front();
    messageAnswers.erase(messageAnswers.begin());
    return answer;
}

bool ObservedWindow::AskQuestion(const wxString& title, const wxString& message, const wxString& yes,
                                 const wxString& no)
{
    questions.push_back({title, message, yes, no});
    if (questionAnswers.empty())
        return VessarQuilixGUI::AskQuestion(title, message, yes, no);
    const bool answer = questionAnswers.front();
    questionAnswers.erase(questionAnswers.begin());
    return answer;
}

bool ObservedWindow::LaunchBrowser(const wxString& url)
{
    browsed.push_back(url);
    if (!browserStarts)
        wxLogError("Failed to open URL \"%s\" in default browser.", url);
    return browserStarts;
}

bool ObservedWindow::OpenFolder(const wxString& folder)
{
    opened.push_back(folder);
    return fileManagerStarts;
}

void Select(wxChoice* choice, int item)
{
    choice->SetSelection(item);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(item);
    Send(choice, event);
}

void Select(wxChoice* choice, const wxString& text)
{
    const int item = choice->FindString(text, true);
    ASSERT_NE(item, wxNOT_FOUND) << "no item " << text;
    Select(choice, item);
}

void Click(wxWindow* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    Send(button, event);
}

void Tick(wxCheckBox* box, bool ticked)
{
    box->SetValue(ticked);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetInt(ticked ? 1 : 0);
    Send(box, event);
}

void Slide(wxSlider* slider, int value)
{
    slider->SetValue(value);
    wxCommandEvent event(wxEVT_SLIDER, slider->GetId());
    event.SetInt(value);
    Send(slider, event);
}

void Type(wxTextCtrl* field, const wxString& text)
{
    field->SetValue(text);  // sends wxEVT_TEXT, as typing does
}

void ChooseMenu(wxFrame* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    Send(frame, event);
}

bool ProcessUntil(const std::function<bool()>& done)
{
    // A bound on the rounds, not a time to meet: a slow machine takes more of them.
    for (int round = 0; round < 3000 && !done(); ++round) {
        wxYield();
        wxMilliSleep(10);
    }
    return done();
}

void ShowAndSettle(wxTopLevelWindow* window)
{
    window->Show();
    window->Raise();
    ProcessUntil([&] { return window->IsActive(); });
    for (int i = 0; i < 10; ++i) {
        wxYield();
        wxMilliSleep(10);
    }
}

DialogScript::DialogScript(std::function<int(wxDialog*)> answer) : m_answer(std::move(answer))
{
    Register();
}

DialogScript::~DialogScript()
{
    Unregister();
}

int DialogScript::Enter(wxDialog* dialog)
{
    ++dialogs;
    return m_answer(dialog);
}

void ProcessIdle()
{
    for (int i = 0; i < 3; ++i)
        wxTheApp->ProcessIdle();
}

void CloseAndDestroy(wxTopLevelWindow* window)
{
    window->Destroy();
    ProcessIdle();
}

std::string WindowTest::SettingsText() const
{
    std::ifstream conf(home.File(".config/VessarQuilix/VessarQuilix.conf"));
    return std::string((std::istreambuf_iterator<char>(conf)), std::istreambuf_iterator<char>());
}

}  // namespace vqtest
