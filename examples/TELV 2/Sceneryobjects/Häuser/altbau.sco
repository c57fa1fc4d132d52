[description]
Altbau, vier Geschosse

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh
