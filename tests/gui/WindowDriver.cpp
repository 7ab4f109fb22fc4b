#include "WindowDriver.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace vqtest {

namespace {

void Send(wxWindow* source, wxEvent& event)
{
    event.SetEventObject(source);
    source->GetEventHandler()->ProcessEvent(event);
}

}  // namespace

wxWindow* ObservedWindow::OutputLabel(int i) const
{
    return m_outLabels[i];
}

VessarQuilixGUI::FileChoice ObservedWindow::AskForFile(const wxString& title, const wxString& directory,
                                                       const wxString& wildcard, long style)
{
    asked.push_back({title, directory});
    if (answers.empty())
        return VessarQuilixGUI::AskForFile(title, directory, wildcard, style);
    const FileChoice answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

void Select(wxChoice* choice, int item)
{
    choice->SetSelection(item);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(item);
    Send(choice, event);
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

void ChooseMenu(wxFrame* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    Send(frame, event);
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

}  // namespace vqtest
