#include "WindowDriver.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/textctrl.h>

namespace vqtest {

namespace {

// Output rows in channel order, as the layout numbers their identifiers (rows are made in
// the order 1, 4, 2, 5, 3, 6, three identifiers each from 1023).
int FirstIdOfRow(int i)
{
    static const int kCreationIndex[6] = {0, 2, 4, 1, 3, 5};
    return ID_OUT_LABEL1 + 3 * kCreationIndex[i];
}

void Send(wxWindow* source, wxEvent& event)
{
    event.SetEventObject(source);
    source->GetEventHandler()->ProcessEvent(event);
}

}  // namespace

wxTextCtrl* ObservedWindow::OutputText(int i) const
{
    return static_cast<wxTextCtrl*>(FindWindow(FirstIdOfRow(i) + 1));
}

wxButton* ObservedWindow::OutputButton(int i) const
{
    return static_cast<wxButton*>(FindWindow(FirstIdOfRow(i) + 2));
}

wxWindow* ObservedWindow::OutputLabel(int i) const
{
    return FindWindow(FirstIdOfRow(i));
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
    wxScrollEvent event(wxEVT_SCROLL_THUMBTRACK, slider->GetId(), value, wxVERTICAL);
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
