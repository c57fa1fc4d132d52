[description]
terraced house, three floors

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh
