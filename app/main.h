#pragma once
// The tool's window: choose a ROM folder, see its entries, write gamelist.xml
// next to the program.
#include <string>

#include "framework/controls.h"
#include "framework/forms.h"
#include "gamelist/xml_document.h"
#include "shelltree/shell_tree_view.h"

class TForm1 : public framework::TForm {
 public:
  TForm1();

  // Components in creation order, which is also the tab order of those that
  // take the focus.
  framework::TLabel lbl1;
  framework::TImage img1;
  framework::TButton Button1;
  framework::TListBox lst1;
  shelltree::TcxShellTreeView cxShellTreeView1;
  framework::TButton btn1;
  gamelist::TXMLDocument XMLDocument1;

  // Execute: writes gamelist.xml next to the executable from lst1's lines.
  void Button1Click(framework::TControl* Sender);
  // Appends the accepted entries of `path` to lst1.
  void SearchFile(const std::wstring& path);
  // A click in the folder tree lists the selected folder's entries.
  void cxShellTreeView1Click(framework::TControl* Sender);
  // Exit.
  void btn1Click(framework::TControl* Sender);

  // The folder gamelist.xml is written to: the executable's own.
  static std::wstring OutputPath();
};

extern TForm1* Form1;
