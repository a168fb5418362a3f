#pragma once
// The tree view: a tree of nodes with text, images and data, shown one row per visible node
// with expand buttons, scrolled by rows vertically and by pixels horizontally.
//
// Children can be filled on demand: a node with HasChildren set and no children gets them from
// OnExpanding when it first opens (a node still empty afterwards loses its button). Selection
// changes ask OnChanging first (which may refuse them) and report with OnChange. Deleted nodes
// are announced with OnDeletion, children before their parent. GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/controls/Edit.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/ScrollBars.h"

class TCustomTreeView;
class TTreeNodes;

constexpr UINT TV_FIRST = 0x1100;
constexpr UINT TVM_GETCOUNT = TV_FIRST + 5;
constexpr UINT TVM_GETIMAGELIST = TV_FIRST + 8;  // wParam: TVSIL_*; answers the HIMAGELIST
constexpr UINT TVM_SETIMAGELIST = TV_FIRST + 9;  // wParam: TVSIL_*, lParam: HIMAGELIST; answers the old one
constexpr int TVSIL_NORMAL = 0;
constexpr int TVSIL_STATE = 2;
constexpr UINT TVM_GETVISIBLECOUNT = TV_FIRST + 16;

class TTreeNode;
// <0, 0, >0 as Node1 sorts before, with or after Node2.
using TTVCompare = std::function<int(TTreeNode* Node1, TTreeNode* Node2, std::intptr_t Data)>;

class TTreeNode {
 public:
  ~TTreeNode();
  [[nodiscard]] const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);
  [[nodiscard]] void* Data() const { return data_; }
  void SetData(void* Value) { data_ = Value; }
  [[nodiscard]] int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value);
  [[nodiscard]] int SelectedIndex() const { return selected_index_; }
  void SetSelectedIndex(int Value);
  [[nodiscard]] int StateIndex() const { return state_index_; }
  void SetStateIndex(int Value);
  // True when the node has children or was marked as having some (to be filled on expanding).
  [[nodiscard]] bool HasChildren() const { return has_children_ || !children_.empty(); }
  void SetHasChildren(bool Value);
  [[nodiscard]] bool Expanded() const { return expanded_; }
  void SetExpanded(bool Value);
  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  [[nodiscard]] int Level() const;
  [[nodiscard]] TTreeNode* Parent() const { return parent_; }
  [[nodiscard]] int Count() const { return static_cast<int>(children_.size()); }
  // Raises EListError for an index out of range.
  [[nodiscard]] TTreeNode* Item(int Index) const;
  [[nodiscard]] int Index() const;
  [[nodiscard]] TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  [[nodiscard]] TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
  [[nodiscard]] TTreeNode* GetNextSibling() const;
  [[nodiscard]] TTreeNode* GetPrevSibling() const;
  // The next node in depth-first order (children first), nullptr after the last.
  [[nodiscard]] TTreeNode* GetNext() const;
  // The next node shown (skipping children of collapsed nodes).
  [[nodiscard]] TTreeNode* GetNextVisible() const;
  [[nodiscard]] TTreeNode* GetPrevVisible() const;
  [[nodiscard]] bool HasAsParent(const TTreeNode* Value) const;
  [[nodiscard]] bool Selected() const;
  void SetSelected(bool Value);
  [[nodiscard]] bool IsVisible() const;
  void MakeVisible();
  // Client coordinates of the row (TextOnly: of the label).
  [[nodiscard]] TRect DisplayRect(bool TextOnly) const;
  void AlphaSort(bool Recurse = false);
  void CustomSort(const TTVCompare& Compare, std::intptr_t Data, bool Recurse = false);
  void Delete();
  void DeleteChildren();
  // Starts editing the text in an edit over the label; false when the tree is read-only or
  // OnEditing refused.
  bool EditText();
  [[nodiscard]] TTreeNodes* Owner() const;
  [[nodiscard]] TCustomTreeView* TreeView() const { return tree_; }

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  explicit TTreeNode(TCustomTreeView* Tree, TTreeNode* Parent) : tree_(Tree), parent_(Parent) {}
  std::vector<std::unique_ptr<TTreeNode>>& Siblings() const;
  void Changed();

  TCustomTreeView* tree_;
  TTreeNode* parent_;
  std::vector<std::unique_ptr<TTreeNode>> children_;
  std::string text_;
  void* data_ = nullptr;
  int image_index_ = -1;
  int selected_index_ = -1;
  int state_index_ = -1;
  bool has_children_ = false;
  bool expanded_ = false;
};

class TTreeNodes {
 public:
  explicit TTreeNodes(TCustomTreeView* Owner) : owner_(Owner) {}
  ~TTreeNodes();
  // Adds a node as the last sibling of Sibling (a top node when Sibling is nullptr).
  TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
  TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
  // Adds a node as the first sibling of Sibling.
  TTreeNode* AddFirst(TTreeNode* Sibling, const std::string& S);
  TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
  TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
  TTreeNode* AddChildFirst(TTreeNode* Parent, const std::string& S);
  // Inserts a node before Sibling (at the end of the top nodes when Sibling is nullptr).
  TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
  void Delete(TTreeNode* Node);
  void Clear();
  // All nodes, at every level.
  [[nodiscard]] int Count() const;
  [[nodiscard]] TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  // The node at a depth-first index; raises EListError out of range.
  [[nodiscard]] TTreeNode* Item(int Index) const;
  [[nodiscard]] TTreeNode* operator[](int Index) const { return Item(Index); }
  void BeginUpdate();
  void EndUpdate();
  [[nodiscard]] TCustomTreeView* Owner() const { return owner_; }

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* InsertAt(TTreeNode* Parent, int Index, const std::string& S, void* Ptr);
  TCustomTreeView* owner_;
  std::vector<std::unique_ptr<TTreeNode>> roots_;
};

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;

class TCustomTreeView : public TCustomControl {
 public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  [[nodiscard]] TTreeNodes* Items() const { return items_.get(); }
  [[nodiscard]] TTreeNode* Selected() const { return selected_; }
  // Asks OnChanging first; a refused change leaves the selection as it was.
  void SetSelected(TTreeNode* Node);
  // The node on the first shown row.
  [[nodiscard]] TTreeNode* TopItem() const;
  void SetTopItem(TTreeNode* Node);
  [[nodiscard]] bool ShowRoot() const { return show_root_; }
  void SetShowRoot(bool Value);
  [[nodiscard]] bool ShowButtons() const { return show_buttons_; }
  void SetShowButtons(bool Value);
  // A right click selects the node under it.
  [[nodiscard]] bool RightClickSelect() const { return right_click_select_; }
  void SetRightClickSelect(bool Value) { right_click_select_ = Value; }
  [[nodiscard]] bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool Value) { read_only_ = Value; }
  [[nodiscard]] int Indent() const { return indent_; }
  void SetIndent(int Value);
  [[nodiscard]] TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] TCustomImageList* StateImages() const { return state_images_; }
  void SetStateImages(TCustomImageList* Value);
  void FullExpand();
  void FullCollapse();
  void AlphaSort(bool Recurse = true);
  void CustomSort(const TTVCompare& Compare, std::intptr_t Data, bool Recurse = true);
  [[nodiscard]] TTreeNode* GetNodeAt(int X, int Y) const;
  [[nodiscard]] int RowHeight() const;
  // Rows wholly inside the client area.
  [[nodiscard]] int VisibleCount() const;
  using TScrollState = TScrollBarState;
  [[nodiscard]] TScrollState ScrollInfo(int Bar) const;

  // Label editing: Return or leaving the edit keeps the text (after OnEdited, which may change
  // it), Escape drops it. F2 starts it on the selected node.
  [[nodiscard]] bool IsEditing() const { return editing_ != nullptr; }
  void EndEditing(bool Accept);
  [[nodiscard]] TEdit* EditControl() const { return IsEditing() ? edit_ : nullptr; }

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVExpandedEvent OnDeletion;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVExpandedEvent OnGetImageIndex;
  TTVExpandedEvent OnGetSelectedIndex;

 protected:
  // Each of these raises the event of its name; descendants override and call the base.
  virtual bool CanChange(TTreeNode* Node);
  virtual void Change(TTreeNode* Node);
  virtual bool CanExpand(TTreeNode* Node);
  virtual void Expand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual void Collapse(TTreeNode* Node);
  virtual void Delete(TTreeNode* Node);
  // The end of a label edit of Node: Text is the edited text, nullptr when the edit was
  // cancelled. The base raises OnEdited (which may change the text) and gives the node the text.
  virtual void Edit(TTreeNode* Node, const std::string* Text);
  // Asked for every node painted while Images is set.
  virtual void GetImageIndex(TTreeNode* Node);
  virtual void GetSelectedIndex(TTreeNode* Node);

  void CreateWnd() override;
  void Paint() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  bool WantsKey(WORD Key) override;
  void BoundsChanged(const TRect& OldBounds) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TTreeNode;
  friend class TTreeNodes;
  // Shown nodes in order (rebuilt when the tree changes shape).
  [[nodiscard]] const std::vector<TTreeNode*>& Rows() const;
  [[nodiscard]] int RowOf(const TTreeNode* Node) const;
  [[nodiscard]] int NodeLeft(const TTreeNode* Node) const;
  [[nodiscard]] int ContentWidth() const;
  void ShapeChanged();
  void NodeRemoving(TTreeNode* Node);
  bool DoExpand(TTreeNode* Node, bool Value);
  void ScrollTo(int TopRow, int HorzPos);
  void UpdateScrollBars();
  void ScrollMessage(int Bar, int Code, int Thumb);
  void SelectRow(int Row);

  bool StartEditing(TTreeNode* Node);

  std::unique_ptr<TTreeNodes> items_;
  TEdit* edit_ = nullptr;           // owned by the view as a component; hidden between edits
  TTreeNode* editing_ = nullptr;    // the node being edited; cleared when it goes
  TTreeNode* selected_ = nullptr;  // owned by items_; cleared when it goes
  bool show_root_ = true;
  bool show_buttons_ = true;
  bool right_click_select_ = false;
  bool read_only_ = false;
  bool destroying_ = false;
  int indent_ = 19;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* state_images_ = nullptr;
  int top_row_ = 0;
  int horz_pos_ = 0;
  int update_count_ = 0;
  bool in_scroll_update_ = false;
  mutable bool rows_valid_ = false;
  mutable std::vector<TTreeNode*> rows_;
};

class TTreeView : public TCustomTreeView {
 public:
  using TCustomTreeView::TCustomTreeView;
};
